#pragma once
// A run of the command line in a fresh temporary folder holding the given files: its exit
// status, standard output and error, and every file of the folder afterwards.

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "support/temporary_folder.h"

namespace tarn::test {

using Files = std::map<std::string, std::string>;

struct CommandRun {
  int status = 0;
  std::string out, err;
  Files files;  // every file in the folder after the run
};

inline std::string read_text(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline CommandRun run_command(const Files& files, const std::vector<std::string>& arguments) {
  namespace fs = std::filesystem;
  const TemporaryFolder dir(true);
  for (const auto& [name, text] : files) {
    fs::create_directories((dir.path() / name).parent_path());
    std::ofstream(dir.path() / name, std::ios::binary) << text;
  }
  std::vector<const char*> argv = {"tarnwick"};
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  std::ostringstream out, err;
  CommandRun run;
  run.status = run_command_line(static_cast<int>(argv.size()), argv.data(), out, err);
  run.out = out.str();
  run.err = err.str();
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_regular_file()) {
      run.files[fs::relative(entry.path(), dir.path()).string()] = read_text(entry.path());
    }
  }
  return run;
}

}  // namespace tarn::test
