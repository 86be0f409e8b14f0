#pragma once
// The terms a formula can name, as the help lists them, and the nearest of a list of names to a
// misspelt one.

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick {

// The sixteen configuration types of the dialogue's models, numbered 1..16.
struct ConfigurationType {
  int number = 0;
  std::string name;   // the short name a formula takes ("mutual")
  std::string label;  // the dialogue's menu line
};
std::vector<ConfigurationType> configuration_types();

// Every term of the term table, in the order of the user guide's table.
struct TermInfo {
  std::string name;
  std::string arguments;            // as the guide writes them: "decay, fixed=TRUE"
  bool configuration_type = false;  // one of the sixteen types, without arguments
};
std::vector<TermInfo> terms();

// The first of `names` nearest to `given` by edit distance (single-character insertions,
// deletions and substitutions), if nearer than `limit`; empty otherwise.
std::string nearest_name(const std::string& given, const std::vector<std::string>& names,
                         std::size_t limit);

}  // namespace tarnwick
