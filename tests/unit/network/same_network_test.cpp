// One network written in every format a researcher may have it in gives the same link store
// as its record file: seeded random networks with reciprocated links.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "network/data_file.h"
#include "network/edge_list_file.h"
#include "network/file_name.h"
#include "network/network_file.h"
#include "network/pajek_file.h"
#include "support/brute_force.h"
#include "support/networks.h"

namespace tarn {
namespace {

using test::LinkList;
using test::links_of;

void expect_same_store(const Network& got, const Network& expected, const std::string& what) {
  EXPECT_EQ(got.node_count, expected.node_count) << what;
  EXPECT_EQ(got.link_count, expected.link_count) << what;
  EXPECT_EQ(got.out_degree, expected.out_degree) << what;
  EXPECT_EQ(got.in_degree, expected.in_degree) << what;
  EXPECT_EQ(got.mutual_count, expected.mutual_count) << what;
  EXPECT_EQ(got.out_first, expected.out_first) << what;
  EXPECT_EQ(got.in_first, expected.in_first) << what;
  EXPECT_EQ(got.out_target, expected.out_target) << what;
  EXPECT_EQ(got.in_source, expected.in_source) << what;
  EXPECT_EQ(got.has_repeated_links, expected.has_repeated_links) << what;
}

// The same links in another order that keeps the order within each sender.
LinkList interleaved(const LinkList& links, unsigned seed) {
  std::mt19937 draws(seed);
  std::vector<LinkList> by_sender;
  for (const auto& link : links) {
    if (by_sender.empty() || by_sender.back().front().first != link.first) by_sender.emplace_back();
    by_sender.back().push_back(link);
  }
  std::vector<std::size_t> next(by_sender.size(), 0);
  LinkList out;
  while (out.size() < links.size()) {
    const std::size_t s = draws() % by_sender.size();
    if (next[s] < by_sender[s].size()) out.push_back(by_sender[s][next[s]++]);
  }
  return out;
}

std::string record_file(const LinkList& links) {
  std::string text = "(2I5,I3)\n";
  char line[32];
  for (const auto& [i, j] : links) {
    text.append(line,
                static_cast<std::size_t>(std::snprintf(line, sizeof line, "%5d%5d%3d\n", i, j, 1)));
  }
  return text;
}

struct Style {
  const char* separator = ",";
  bool header = false;
  bool quoted = false;
  bool crlf = false;
  bool bom = false;
  bool values = false;  // a third column; with zero_rows some rows of value 0
  bool zero_rows = false;
  bool comments = false;    // # lines and empty lines (blank-separated files)
  bool interleave = false;  // senders mixed, order within a sender kept
};

std::string delimited(LinkList links, const Style& style) {
  if (style.interleave) links = interleaved(links, 7);
  const std::string end = style.crlf ? "\r\n" : "\n";
  const std::string sep = style.separator;
  const auto label = [&](int node) {
    return style.quoted ? "\"" + std::to_string(node) + "\"" : std::to_string(node);
  };
  const std::set<std::pair<int, int>> linked(links.begin(), links.end());
  std::string text = style.bom ? "\xEF\xBB\xBF" : "";
  if (style.comments) text += "# the network" + end + end;
  if (style.header) {
    text +=
        (style.quoted ? "\"from\"" : "from") + sep + "to" + (style.values ? sep + "weight" : "");
    text += end;
  }
  for (std::size_t k = 0; k < links.size(); ++k) {
    const auto [i, j] = links[k];
    text += label(i) + sep + label(j) + (style.values ? sep + "1" : "") + end;
    // A row of value 0 for a pair without a link (one with a link would contradict it).
    if (style.zero_rows && k % 5 == 0 && !linked.contains({j, i}))
      text += label(j) + sep + label(i) + sep + "0" + end;
    if (style.comments && k % 9 == 0) text += "# more" + end + end;
  }
  return text;
}

std::string pajek(const LinkList& links, int n, bool vertex_labels, bool arcs_list) {
  std::string text =
      "% written for a test\r\n*Network test\r\n*Vertices " + std::to_string(n) + "\r\n";
  if (vertex_labels) {
    for (int v = 1; v <= n; ++v)
      text += std::to_string(v) + " \"v " + std::to_string(v) + "\" 0.5 0.5 0.5\r\n";
  }
  if (!arcs_list) {
    text += "*Arcs\r\n";
    for (const auto& [i, j] : links) text += std::to_string(i) + " " + std::to_string(j) + " 1\r\n";
    return text;
  }
  text += "*arcslist\r\n";
  for (std::size_t k = 0; k < links.size(); ++k) {
    if (k == 0 || links[k].first != links[k - 1].first) {
      text += (k == 0 ? "" : "\r\n") + std::to_string(links[k].first);
    }
    text += " " + std::to_string(links[k].second);
  }
  return text + "\r\n";
}

LabelledNetwork read_text(const std::string& text, NetworkFormat format) {
  std::istringstream in(text);
  return format == NetworkFormat::pajek ? read_pajek(in, "net.txt")
                                        : read_edge_list(in, "net.txt", format);
}

void expect_every_form_alike(const Network& expected, const std::string& name) {
  const LinkList links = links_of(expected);
  const int n = expected.node_count;
  const struct {
    const char* what;
    NetworkFormat format;
    std::string text;
    bool labelled = false;
  } forms[] = {
      {"csv", NetworkFormat::csv, delimited(links, {})},
      {"csv, header, quoted, CRLF, byte-order mark, values", NetworkFormat::csv,
       delimited(links,
                 {.header = true, .quoted = true, .crlf = true, .bom = true, .values = true})},
      {"csv, senders mixed, rows of value 0", NetworkFormat::csv,
       delimited(links, {.values = true, .zero_rows = true, .interleave = true})},
      {"tsv, header, quoted, values, senders mixed", NetworkFormat::tsv,
       delimited(links, {.separator = "\t",
                         .header = true,
                         .quoted = true,
                         .values = true,
                         .interleave = true})},
      {"blank-separated, comments, header", NetworkFormat::blank,
       delimited(links, {.separator = "  \t ", .header = true, .values = true, .comments = true})},
      {"pajek arcs, labelled vertices", NetworkFormat::pajek, pajek(links, n, true, false), true},
      {"pajek arcs list", NetworkFormat::pajek, pajek(links, n, false, true)},
  };
  for (const auto& form : forms) {
    const std::string what = name + ": " + form.what;
    const LabelledNetwork got = read_text(form.text, form.format);
    expect_same_store(got.network, expected, what);
    EXPECT_EQ(got.labels.numbered(), !form.labelled) << what;
    if (form.labelled) {
      EXPECT_EQ(got.labels.name(n), "v " + std::to_string(n)) << what;
    }
  }
}

// 30 nodes, about a third of the links reciprocated, receivers of a sender in a random order.
TEST(SameNetwork, RandomNetworkInEveryFormat) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    const LinkList links = test::random_network(30, 0.18, 1.0 / 3, seed);
    DataFile file(std::make_unique<std::istringstream>(record_file(links)), name_field("r.dat"));
    const Network expected = read_network_file(file);
    ASSERT_EQ(expected.node_count, 30);
    ASSERT_GT(*std::max_element(expected.mutual_count.begin(), expected.mutual_count.end()), 0);
    expect_every_form_alike(expected, "seed " + std::to_string(seed));
  }
}

}  // namespace
}  // namespace tarn
