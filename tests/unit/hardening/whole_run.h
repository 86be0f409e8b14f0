#pragma once
// Whole runs of the program in a fresh temporary folder: the data files are written there, the
// answers come from a string, and the screen, the exit status and the files left behind are
// returned. Header-only.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "main/main_loop.h"

namespace tarn::test {

using Files = std::map<std::string, std::string>;

struct RunResult {
  int status = 0;
  std::string screen;
  Files files;  // every regular file in the folder after the run

  // The last line of the screen that is not empty.
  std::string last_line() const {
    std::istringstream lines(screen);
    std::string line;
    std::string last;
    while (std::getline(lines, line)) {
      if (!line.empty()) last = line;
    }
    return last;
  }
};

inline std::string read_whole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the program on `answers` in a new folder holding `files`; the folder is removed after.
inline RunResult run_in_folder(const Files& files, const std::string& answers) {
  namespace fs = std::filesystem;
  const fs::path home = fs::current_path();
  std::string pattern = (fs::temp_directory_path() / "tarnwick-run-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  const fs::path folder = pattern;
  for (const auto& [name, text] : files) {
    std::ofstream(folder / name, std::ios::binary) << text;
  }
  fs::current_path(folder);
  RunResult result;
  {
    std::istringstream in(answers);
    std::ostringstream out;
    result.status = run(in, out);
    result.screen = out.str();
  }
  fs::current_path(home);
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      result.files[entry.path().filename().string()] = read_whole(entry.path());
    }
  }
  fs::remove_all(folder);
  return result;
}

// A small network of five nodes, an attribute file of two attributes and a comparative network.
inline const Files& small_data() {
  static const Files files = {
      {"net.dat",
       "(2I5,I3)\n    1    2  1\n    1    3  1\n    2    1  1\n    2    4  1\n"
       "    3    1  1\n    3    4  1\n    4    2  1\n    5    1  1\n    5    4  1\n"},
      {"attr.dat", "(I5,2I3)\n    1  1  2\n    2  1  1\n    3  2  2\n    4  2  1\n    5  1  2\n"},
      {"comp.dat", "(3I4)\n   1   2   1\n   2   1   3\n   4   5  -2\n   5   1   1\n"},
  };
  return files;
}

}  // namespace tarn::test
