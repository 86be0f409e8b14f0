// Fuzzes the record-format reader: the first line of the input is the record-format line, the
// rest are data lines read as records of three numbers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "network/data_file.h"
#include "network/fatal_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  tarn::DataFile file(std::make_unique<std::istringstream>(text), "fuzz.dat");
  try {
    std::string format = file.read_format_line();
    std::array<std::int32_t, 3> values{};
    static constexpr std::array<int, 3> bits{32, 32, 16};
    for (int records = 0; records < 1000 && file.read_record(format, values, bits); ++records) {
    }
  } catch (const tarn::FatalError&) {
    // A clear refusal is the expected answer to bad input.
  }
  return 0;
}
