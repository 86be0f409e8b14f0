// The covariate network as an edge list or a Pajek file, against the record-format reader.
#include "network/covariate_list.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "network/comparative_file.h"
#include "network/data_file.h"
#include "network/file_name.h"
#include "support/networks.h"

namespace tarn {
namespace {

using Grid = std::vector<std::vector<int>>;
using Records = std::vector<std::array<int, 3>>;  // sender, receiver, value

ComparativeNetwork from_record_file(const Records& records, int n) {
  std::string text = "(3I6)\n";
  char line[32];
  for (const auto& r : records) {
    text.append(line, static_cast<std::size_t>(
                          std::snprintf(line, sizeof line, "%6d%6d%6d\n", r[0], r[1], r[2])));
  }
  DataFile file(std::make_unique<std::istringstream>(text), name_field("comp.dat"));
  return read_comparative_file(file, n);
}

ComparativeNetwork read(const std::string& text, NetworkFormat format, int n,
                        const NodeLabels& labels = {}) {
  std::istringstream in(text);
  return read_covariate_list(in, "cov.txt", format, labels, n);
}

// The records written in each format; Pajek as arcs with their weights.
std::vector<std::pair<NetworkFormat, std::string>> written(const Records& records, int n) {
  std::string csv = "sender,receiver,value\r\n", tsv, blank = "# covariate\n", net;
  net = "*Vertices " + std::to_string(n) + "\n*Arcs\n";
  for (const auto& [i, j, v] : records) {
    const std::string a = std::to_string(i), b = std::to_string(j), w = std::to_string(v);
    csv += "\"" + a + "\"," + b + "," + w + "\r\n";
    tsv += a + "\t" + b + "\t" + w + "\n";
    blank += "  " + a + " " + b + "\t" + w + "\n";
    net += a + " " + b + " " + w + "\n";
  }
  return {{NetworkFormat::csv, csv},
          {NetworkFormat::tsv, tsv},
          {NetworkFormat::blank, blank},
          {NetworkFormat::pajek, net}};
}

TEST(CovariateList, ValuesAsTheRecordReaderGivesThem) {
  const struct {
    const char* what;
    Records records;
  } cases[] = {
      {"negative values, values 0, a self-pair",
       {{1, 2, -3}, {1, 3, 0}, {2, 2, 7}, {3, 1, 32767}, {3, 2, -32768}}},
      {"a repeated pair: the later value", {{1, 2, 4}, {1, 3, 1}, {1, 2, 9}, {2, 1, 5}}},
      {"a repeated pair then value 0: the earlier value stays", {{2, 3, 4}, {2, 3, 0}}},
      {"rows without values", {{3, 3, 1}}},
  };
  for (const auto& c : cases) {
    const Grid expected = test::dense_rows(from_record_file(c.records, 4));
    for (const auto& [format, text] : written(c.records, 4)) {
      EXPECT_EQ(test::dense_rows(read(text, format, 4)), expected) << c.what << "\n" << text;
    }
  }
}

TEST(CovariateList, NamesMapThroughTheNetworkLabels) {
  const NodeLabels names({"ann", "bob", "cy"});
  const struct {
    const char* what;
    std::string text;
    NetworkFormat format;
    const NodeLabels& labels;
    Grid rows;
  } cases[] = {
      {"names; no value column gives 1",
       "cy,ann\nbob,cy\n",
       NetworkFormat::csv,
       names,
       {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}}},
      {"a later value replaces the earlier in its place",
       "ann,cy,2\nann,bob,3\nann,cy,-1\n",
       NetworkFormat::csv,
       names,
       {{0, 3, -1}, {0, 0, 0}, {0, 0, 0}}},
      {"Pajek labels name the nodes",
       "*Vertices 3\n1 \"cy\"\n2 \"ann\"\n3 \"bob\"\n*Edges\n1 2 5\n",
       NetworkFormat::pajek,
       names,
       {{0, 0, 5}, {0, 0, 0}, {5, 0, 0}}},
      {"Pajek vertex numbers for a numbered network",
       "*Vertices 3\n1 \"cy\"\n2 \"ann\"\n*Arcslist\n1 2 3\n",
       NetworkFormat::pajek,
       NodeLabels(),
       {{0, 1, 1}, {0, 0, 0}, {0, 0, 0}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(test::dense_rows(read(c.text, c.format, 3, c.labels)), c.rows) << c.what;
  const ComparativeNetwork in_place =
      read("ann,cy,2\nann,bob,3\nann,cy,-1\n", NetworkFormat::csv, 3, names);
  ASSERT_EQ(in_place.entries.size(), 2u);
  EXPECT_EQ(in_place.entries[0].receiver, 3);
  EXPECT_EQ(in_place.entries[0].value, -1);
}

}  // namespace
}  // namespace tarn
