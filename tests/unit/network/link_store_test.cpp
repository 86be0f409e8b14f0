#include "input/link_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "store/fatal_error.h"

namespace tarn {
namespace {

using LinkList = std::vector<std::pair<int, int>>;

std::unique_ptr<Records> store_of(const LinkList& links) {
  auto rec = std::make_unique<Records>();
  build_link_store(*rec, links);
  return rec;
}

std::vector<int> out_list(Records& rec, int i) {
  std::vector<int> list;
  for (int k = 0; k < rec.nodes.out_degree(i); ++k) {
    list.push_back(rec.links.out_target(rec.links.out_start(i) + k));
  }
  return list;
}

std::vector<int> in_list(Records& rec, int i) {
  std::vector<int> list;
  for (int k = 0; k < rec.nodes.in_degree(i); ++k) {
    list.push_back(rec.links.in_source(rec.links.in_start(i) + k));
  }
  return list;
}

TEST(Reciprocity, PairIsMarkedOnBothSidesAndSingleLinkStaysPositive) {
  auto rec = store_of({{1, 2}, {1, 3}, {2, 1}});
  EXPECT_EQ(out_list(*rec, 1), (std::vector<int>{-2, 3}));
  EXPECT_EQ(out_list(*rec, 2), (std::vector<int>{-1}));
  EXPECT_EQ(rec->nodes.mutual_count(1), 1);
  EXPECT_EQ(rec->nodes.mutual_count(2), 1);
  EXPECT_EQ(rec->nodes.mutual_count(3), 0);
}

TEST(Reciprocity, SelfLinkFlipsBackAndCountsTwice) {
  auto rec = store_of({{1, 1}, {1, 2}, {2, 3}});
  EXPECT_EQ(out_list(*rec, 1), (std::vector<int>{1, 2}));
  EXPECT_EQ(rec->nodes.mutual_count(1), 2);
  EXPECT_EQ(in_list(*rec, 1), (std::vector<int>{1}));
}

TEST(Reciprocity, RepeatedLinkFromTheSmallerNode) {
  // i < j: i->j twice, j->i once.
  auto rec = store_of({{2, 5}, {2, 5}, {5, 2}});
  EXPECT_EQ(out_list(*rec, 2), (std::vector<int>{-5, 5}));
  EXPECT_EQ(out_list(*rec, 5), (std::vector<int>{-2}));
  EXPECT_EQ(rec->nodes.mutual_count(2), 1);
  EXPECT_EQ(rec->nodes.mutual_count(5), 1);
}

TEST(Reciprocity, RepeatedLinkFromTheLargerNode) {
  // i > j: i->j twice, j->i once. j's single link meets both copies and ends positive.
  auto rec = store_of({{2, 5}, {5, 2}, {5, 2}});
  EXPECT_EQ(out_list(*rec, 2), (std::vector<int>{5}));
  EXPECT_EQ(out_list(*rec, 5), (std::vector<int>{-2, -2}));
  EXPECT_EQ(rec->nodes.mutual_count(2), 2);
  EXPECT_EQ(rec->nodes.mutual_count(5), 2);
}

TEST(Reciprocity, BothDirectionsTwice) {
  auto rec = store_of({{2, 5}, {2, 5}, {5, 2}, {5, 2}});
  EXPECT_EQ(out_list(*rec, 2), (std::vector<int>{5, 5}));
  EXPECT_EQ(out_list(*rec, 5), (std::vector<int>{-2, -2}));
  EXPECT_EQ(rec->nodes.mutual_count(2), 2);
  EXPECT_EQ(rec->nodes.mutual_count(5), 2);
}

TEST(InLinks, AscendingSourcesWithIsolatesAndRepeats) {
  auto rec = store_of({{1, 4}, {2, 4}, {2, 4}, {3, 1}, {6, 4}, {6, 1}});
  ASSERT_EQ(rec->nodes.node_count, 6);
  EXPECT_EQ(in_list(*rec, 4), (std::vector<int>{1, 2, 2, 6}));
  EXPECT_EQ(in_list(*rec, 1), (std::vector<int>{3, 6}));
  // Node 5 is an isolate below n: no links, its in_start equals the next node's.
  EXPECT_EQ(rec->nodes.out_degree(5), 0);
  EXPECT_EQ(rec->nodes.in_degree(5), 0);
  EXPECT_EQ(rec->links.in_start(5), rec->links.in_start(6));
  EXPECT_EQ(rec->links.in_start(1), 1);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(rec->stats.change_stat(i, 1), 1);
}

TEST(InLinks, EmptyNetwork) {
  auto rec = store_of({});
  EXPECT_EQ(rec->nodes.node_count, 0);
  EXPECT_EQ(rec->links.link_count, 0);
}

TEST(Capacity, FullNetworkAcceptedOneMoreLinkRefused) {
  LinkList links;
  links.reserve(500001);
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

TEST(Capacity, Node2001RefusedAsSourceOrTarget) {
  auto rec = std::make_unique<Records>();
  for (LinkList links : {LinkList{{1, 2001}}, LinkList{{1, 2}, {2001, 1}}}) {
    try {
      build_link_store(*rec, links);
      FAIL() << "node 2001 was accepted";
    } catch (const FatalError& e) {
      EXPECT_STREQ(e.what(), "Too many nodes!");
      EXPECT_EQ(e.exit_status(), 0);
    }
  }
  LinkList top{{2000, 1}};
  build_link_store(*rec, top);
  EXPECT_EQ(rec->nodes.node_count, 2000);
}

TEST(BadLinks, NodeBelowOneAndUnsortedSourcesEndTheRunNamingTheLine) {
  auto rec = std::make_unique<Records>();
  for (LinkList links :
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

TEST(BadLinks, DegreePast16BitsIsRefusedNotWrapped) {
  LinkList links(32768, {1, 2});
  auto rec = std::make_unique<Records>();
  EXPECT_THROW(build_link_store(*rec, links), FatalError);
  links.resize(32767);
  // Accepted as a degree, but the statistics of such a network would pass 16 bits.
  EXPECT_THROW(build_link_store(*rec, links), FatalError);
}

TEST(BadLinks, FewRepeatedLinksAreAccepted) {
  auto rec = store_of({{1, 2}, {1, 2}, {2, 3}, {3, 1}});
  EXPECT_EQ(rec->links.link_count, 4);
}

}  // namespace
}  // namespace tarn
