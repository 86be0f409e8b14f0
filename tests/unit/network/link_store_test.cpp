#include "input/link_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "store/fatal_error.h"

namespace tarn {
namespace {

using LinkList = std::vector<std::pair<int, int>>;
using Ints = std::vector<int>;

Ints out_list(Records& rec, int i) {
  Ints list;
  for (int k = 0; k < rec.nodes.out_degree(i); ++k)
    list.push_back(rec.links.out_target(rec.links.out_start(i) + k));
  return list;
}

Ints in_list(Records& rec, int i) {
  Ints list;
  for (int k = 0; k < rec.nodes.in_degree(i); ++k)
    list.push_back(rec.links.in_source(rec.links.in_start(i) + k));
  return list;
}

struct ReciprocityCase {
  LinkList links;
  int i, j;
  Ints out_i, out_j;
  int mutual_i, mutual_j;
};

TEST(LinkStore, ReciprocatedTargetsAreNegativeAndCounted) {
  const ReciprocityCase cases[] = {
      {{{1, 2}, {1, 3}, {2, 1}}, 1, 2, {-2, 3}, {-1}, 1, 1},             // a pair
      {{{1, 1}, {1, 2}, {2, 3}}, 1, 2, {1, 2}, {3}, 2, 0},               // self-link flips back
      {{{2, 5}, {2, 5}, {5, 2}}, 2, 5, {-5, 5}, {-2}, 1, 1},             // repeated from smaller
      {{{2, 5}, {5, 2}, {5, 2}}, 2, 5, {5}, {-2, -2}, 2, 2},             // repeated from larger
      {{{2, 5}, {2, 5}, {5, 2}, {5, 2}}, 2, 5, {5, 5}, {-2, -2}, 2, 2},  // both ways twice
  };
  for (const ReciprocityCase& c : cases) {
    auto rec = std::make_unique<Records>();
    build_link_store(*rec, c.links);
    EXPECT_EQ(out_list(*rec, c.i), c.out_i) << c.links.size();
    EXPECT_EQ(out_list(*rec, c.j), c.out_j) << c.links.size();
    EXPECT_EQ(rec->nodes.mutual_count(c.i), c.mutual_i) << c.links.size();
    EXPECT_EQ(rec->nodes.mutual_count(c.j), c.mutual_j) << c.links.size();
  }
}

TEST(LinkStore, InListsHoldAscendingSourcesWithIsolatesAndRepeats) {
  auto rec = std::make_unique<Records>();
  build_link_store(*rec, LinkList{{1, 1}, {1, 4}, {2, 4}, {2, 4}, {3, 1}, {6, 4}, {6, 1}});
  ASSERT_EQ(rec->nodes.node_count, 6);
  EXPECT_EQ(in_list(*rec, 4), (Ints{1, 2, 2, 6}));
  EXPECT_EQ(in_list(*rec, 1), (Ints{1, 3, 6}));
  EXPECT_EQ(rec->nodes.in_degree(5), 0);  // isolate below n
  EXPECT_EQ(rec->links.in_start(5), rec->links.in_start(6));
  EXPECT_EQ(rec->links.in_start(1), 1);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(rec->stats.change_stat(i, 1), 1);
}

TEST(LinkStore, FullNetworkAcceptedOneMoreLinkRefused) {
  LinkList links;
  // 250 targets for each of 2000 sources: exactly 500000 links, node 2000 included.
  for (int i = 1; i <= 2000; ++i) {
    for (int k = 0; k < 250; ++k) links.emplace_back(i, 1 + (i + k * 8) % 2000);
  }
  auto rec = std::make_unique<Records>();
  build_link_store(*rec, links);
  EXPECT_EQ(rec->links.link_count, 500000);
  EXPECT_EQ(rec->nodes.node_count, 2000);
  links.emplace_back(2000, 1);
  try {
    build_link_store(*rec, links);
    FAIL() << "the 500001st link was accepted";
  } catch (const FatalError& e) {
    EXPECT_STREQ(e.what(), "Too many links!");
    EXPECT_EQ(e.exit_status(), 0);
  }
}

TEST(LinkStore, BadLinksEndTheRunNamingTheLine) {
  auto rec = std::make_unique<Records>();
  for (const LinkList& links :
       {LinkList{{1, 2}, {0, 3}}, LinkList{{1, 2}, {2, -4}}, LinkList{{1, 2}, {3, 1}, {2, 1}}}) {
    try {
      build_link_store(*rec, links);
      FAIL() << "bad link accepted";
    } catch (const FatalError& e) {
      EXPECT_NE(e.exit_status(), 0);
      EXPECT_NE(std::string(e.what()).find("line " + std::to_string(links.size())),
                std::string::npos)
          << e.what();
    }
  }
}

}  // namespace
}  // namespace tarn
