// Fuzzes the whole program: the input is the keyboard, over small fixed data files in a private
// temporary folder. Answers holding a slash are passed over, so that no file outside that folder
// can be named.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "main/main_loop.h"

namespace {

void write(const char* name, const char* text) {
  std::ofstream(name) << text;
}

bool prepare() {
  char folder[] = "/tmp/tarnwick-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
  write("net.dat",
        "(2I5,I3)\n    1    2  1\n    1    3  1\n    2    1  1\n    2    4  1\n"
        "    3    1  1\n    3    4  1\n    4    2  1\n    5    1  1\n    5    4  1\n");
  write("attr.dat", "(I5,3I3)\n    1  1  2  1\n    2  1  1  2\n    3  2  2 17\n    4  2  1  1\n");
  write("comp.dat", "(3I4)\n   1   2   1\n   2   1   3\n   4   5  -2\n   5   1   1\n");
  write("empty.dat", "");
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = prepare();
  (void)ready;
  std::string answers(reinterpret_cast<const char*>(data), size);
  if (answers.find('/') != std::string::npos) return 0;
  std::istringstream in(answers);
  std::ostringstream out;
  tarn::run(in, out);
  return 0;
}
