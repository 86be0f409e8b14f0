// The formats by name and by what a file's name and first bytes show.
#include "network/network_format.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(NetworkFormat, ContentThenExtensionThenFirstDataLine) {
  using F = NetworkFormat;
  const struct {
    const char* name;
    std::string first_bytes;
    NetworkFormat expected;
  } cases[] = {
      {"net.csv", "(2I5,I3)\n    1    2  1\n", F::record},
      {"net.net", "\n  \t(2I5,I3)\n", F::record},
      {"net.dat", "\xEF\xBB\xBF(2I5,I3)\n", F::record},
      {"net.csv", "*Vertices 3\n1 2\n", F::pajek},
      {"net.txt", "% made by hand\n\n  *ARCS\n1 2\n", F::pajek},
      {"net.txt", "*edgeslist\n", F::pajek},
      {"net.txt", "*Network advice\r\n*Vertices 3\r\n", F::pajek},
      {"net.txt", "# x\n*Vertices 3\n", F::pajek},
      {"net.NET", "1 2\n", F::pajek},
      {"dir.csv/net.paj", "1,2\n", F::pajek},
      {"net.Csv", "1\t2\n", F::csv},
      {"net.tsv", "1,2\n", F::tsv},
      {"net.tab", "1 2\n", F::tsv},
      {"net.txt", "# a, b\n1\t2\n", F::tsv},
      {"net", "a,b\n", F::csv},
      {"net.dat", "1 2 1\n", F::blank},
      {"C:\\data.csv\\net", "1 2\n", F::blank},
      {"net.dat", "", F::blank},
      {"net.dat", "\"a,b\"\tc\n", F::tsv},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(detect_network_format(c.name, c.first_bytes), c.expected)
        << c.name << " " << c.first_bytes;
  }
}

}  // namespace
}  // namespace tarn
