// Fuzzes the whole program: the input is the keyboard, over small fixed data files in a private
// temporary folder. Answers holding a slash are passed over, so that no file outside that folder
// can be named. The data files are written afresh before every run and whatever a run created
// is removed after it, so that every input meets the same folder (a run may name a data file as
// its output file and rewrite it).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "dialogue/main_loop.h"

namespace {

const std::vector<std::pair<std::string, std::string>>& data_files() {
  static const std::vector<std::pair<std::string, std::string>> files = {
      {"net.dat",
       "(2I5,I3)\n    1    2  1\n    1    3  1\n    2    1  1\n    2    4  1\n"
       "    3    1  1\n    3    4  1\n    4    2  1\n    5    1  1\n    5    4  1\n"},
      {"attr.dat", "(I5,3I3)\n    1  1  2  1\n    2  1  1  2\n    3  2  2 17\n    4  2  1  1\n"},
      {"comp.dat", "(3I4)\n   1   2   1\n   2   1   3\n   4   5  -2\n   5   1   1\n"},
      {"empty.dat", ""},
      // Links given twice, self-links, value-0 records and an empty line.
      {"rep.dat", "(3I3)\n  1  1  1\n  1  2  1\n  1  2  1\n  2  1  2\n  2  3  0\n\n  3  1 -1\n"},
      // Carriage returns before the line ends, and a last line without one.
      {"crlf.dat", "(3I4)\r\n   1   2   1\r\n   2   3   1\r\n   3   1   1"},
      {"zeros.dat", "(3I4)\n   1   2   0\n   2   1   0\n"},
  };
  return files;
}

void restore_folder() {
  std::set<std::string> keep;
  for (const auto& [name, text] : data_files()) {
    keep.insert(name);
    std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
  }
  keep.insert("folder");
  std::error_code ec;
  std::filesystem::create_directory("folder", ec);
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
    const std::string name = entry.path().filename().string();
    if (keep.count(name) == 0) std::filesystem::remove_all(entry.path(), ec);
  }
}

bool prepare() {
  char folder[] = "/tmp/tarnwick-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = prepare();
  (void)ready;
  std::string answers(reinterpret_cast<const char*>(data), size);
  if (answers.find('/') != std::string::npos) return 0;
  restore_folder();
  std::istringstream in(answers);
  std::ostringstream out;
  tarn::run_dialogue(in, out);
  return 0;
}
