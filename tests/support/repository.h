#pragma once
// Files of the repository from a test. Under ctest, TARNWICK_DATA names the repository's root;
// run by hand, a test finds it from the place of this file.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tarn::test {

inline std::filesystem::path repository_root() {
  const char* root = std::getenv("TARNWICK_DATA");
  return std::filesystem::absolute(
      root != nullptr ? std::filesystem::path(root)
                      : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path());
}

// A file named relative to the root, such as "examples/advice.dat".
inline std::string repository_file(const std::string& relative) {
  return (repository_root() / relative).string();
}

}  // namespace tarn::test
