#include "input/link_store.h"

#include <gtest/gtest.h>

#include <vector>

#include "store/fatal_error.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;
using Ints = std::vector<int>;

Ints out_list(const Records& rec, int i) {
  Ints list;
  for (int k = 0; k < rec.nodes.out_degree(i); ++k)
    list.push_back(rec.links.out_target(rec.links.out_start(i) + k));
  return list;
}

TEST(LinkStore, ReciprocatedTargetsAreNegativeAndCounted) {
  const struct {
    LinkList links;
    int i, j;
    Ints out_i, out_j;
    int mutual_i, mutual_j;
  } cases[] = {
      {{{1, 2}, {1, 3}, {2, 1}}, 1, 2, {-2, 3}, {-1}, 1, 1},             // a pair
      {{{1, 1}, {1, 2}, {2, 3}}, 1, 2, {1, 2}, {3}, 2, 0},               // self-link flips back
      {{{2, 5}, {2, 5}, {5, 2}}, 2, 5, {-5, 5}, {-2}, 1, 1},             // repeated from smaller
      {{{2, 5}, {5, 2}, {5, 2}}, 2, 5, {5}, {-2, -2}, 2, 2},             // repeated from larger
      {{{2, 5}, {2, 5}, {5, 2}, {5, 2}}, 2, 5, {5, 5}, {-2, -2}, 2, 2},  // both ways twice
  };
  for (const auto& c : cases) {
    const World w(c.links);
    EXPECT_EQ(out_list(w.rec, c.i), c.out_i) << c.links.size();
    EXPECT_EQ(out_list(w.rec, c.j), c.out_j) << c.links.size();
    EXPECT_EQ(w.rec.nodes.mutual_count(c.i), c.mutual_i) << c.links.size();
    EXPECT_EQ(w.rec.nodes.mutual_count(c.j), c.mutual_j) << c.links.size();
  }
}

// Runs build_link_store, which must end the run; returns the error.
FatalError refused(Records& rec, const LinkList& links) {
  try {
    build_link_store(rec, links);
  } catch (const FatalError& e) {
    return e;
  }
  ADD_FAILURE() << "accepted " << links.size() << " links";
  return FatalError("", 0);
}

TEST(LinkStore, FullNetworkAcceptedOneMoreLinkRefused) {
  LinkList links;  // 250 targets for each of 2000 sources: exactly 500000 links, node 2000 included
  for (int i = 1; i <= 2000; ++i)
    for (int k = 0; k < 250; ++k) links.emplace_back(i, 1 + (i + k * 8) % 2000);
  World w(links);
  EXPECT_EQ(w.rec.links.link_count, 500000);
  EXPECT_EQ(w.n(), 2000);
  links.emplace_back(2000, 1);
  const FatalError e = refused(w.rec, links);
  EXPECT_STREQ(e.what(), "Too many links!");
  EXPECT_EQ(e.exit_status(), 0);
}

TEST(LinkStore, BadLinksEndTheRunNamingTheLine) {
  World w;
  for (const LinkList& links :
       {LinkList{{1, 2}, {0, 3}}, LinkList{{1, 2}, {2, -4}}, LinkList{{1, 2}, {3, 1}, {2, 1}}}) {
    const FatalError e = refused(w.rec, links);
    EXPECT_NE(e.exit_status(), 0);
    EXPECT_NE(std::string(e.what()).find("line " + std::to_string(links.size())), std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace tarn
