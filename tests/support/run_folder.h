#pragma once
// A run of the command line in a fresh temporary folder holding the given files: its exit
// status, standard output and error, and every file of the folder afterwards.

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "support/repository.h"
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

// The text of a file of examples/, such as "advice.dat".
inline std::string example(const std::string& name) {
  return read_text(repository_file("examples/" + name));
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

// The rows of a CSV text, each split at its commas (the programs' own files quote nothing).
inline std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    rows.emplace_back();
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) rows.back().push_back(cell);
  }
  return rows;
}

// A statistics file of simulate --stats: the observed network's row and the rows of the networks
// drawn, as numbers, without the first column (the network).
struct StatisticsFile {
  std::vector<double> observed;
  std::vector<std::vector<double>> drawn;
};

inline StatisticsFile statistics_file(const std::string& text) {
  StatisticsFile file;
  const auto rows = csv_rows(text);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    std::vector<double> values;
    for (std::size_t c = 1; c < rows[r].size(); ++c) values.push_back(std::stod(rows[r][c]));
    (rows[r][0] == "observed" ? file.observed : file.drawn.emplace_back()) = values;
  }
  return file;
}

// The links of every network a run wrote in the folder `folder`, by file: the rows after the
// header, as written.
inline std::map<std::string, std::vector<std::pair<std::string, std::string>>> drawn_links(
    const CommandRun& run, const std::string& folder) {
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> networks;
  for (const auto& [name, text] : run.files) {
    if (name.rfind(folder + "/", 0) != 0) continue;
    auto& links = networks[name];
    const auto rows = csv_rows(text);
    for (std::size_t r = 1; r < rows.size(); ++r) links.emplace_back(rows[r].at(0), rows[r].at(1));
  }
  return networks;
}

}  // namespace tarn::test
