#include "network/network.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "network/fatal_error.h"
#include "support/networks.h"

namespace tarn {
namespace {

using test::LinkList;
using test::network_of;
using Ints = std::vector<int>;

Ints out_list(const Network& net, int i) {
  const auto list = net.out_list(i);
  return Ints(list.begin(), list.end());
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
    const Network net = network_of(c.links);
    EXPECT_EQ(out_list(net, c.i), c.out_i) << c.links.size();
    EXPECT_EQ(out_list(net, c.j), c.out_j) << c.links.size();
    EXPECT_EQ(net.mutual(c.i), c.mutual_i) << c.links.size();
    EXPECT_EQ(net.mutual(c.j), c.mutual_j) << c.links.size();
  }
}

TEST(LinkStore, InListsHoldSendersAscending) {
  const Network net = network_of({{1, 3}, {2, 3}, {2, 1}, {3, 3}, {4, 3}, {4, 2}});
  EXPECT_EQ(net.node_count, 4);
  const std::vector<Ints> in = {{2}, {4}, {1, 2, 3, 4}, {}};
  for (int a = 1; a <= 4; ++a) {
    const auto list = net.in_list(a);
    EXPECT_EQ(Ints(list.begin(), list.end()), in[a - 1u]) << a;
  }
  EXPECT_FALSE(net.has_repeated_links);
  EXPECT_TRUE(network_of({{1, 2}, {1, 3}, {1, 2}}).has_repeated_links);
}

// Builds the store, which must end the run; returns the error.
FatalError refused(const LinkList& links) {
  try {
    network_of(links);
  } catch (const FatalError& e) {
    return e;
  }
  ADD_FAILURE() << "accepted " << links.size() << " links";
  return FatalError("");
}

TEST(LinkStore, FullNetworkAcceptedOneMoreLinkRefused) {
  LinkList links;  // 250 targets for each of 2000 sources: exactly 500000 links, node 2000 included
  for (int i = 1; i <= 2000; ++i)
    for (int k = 0; k < 250; ++k) links.emplace_back(i, 1 + (i + k * 8) % 2000);
  const Network net = network_of(links);
  EXPECT_EQ(net.link_count, 500000);
  EXPECT_EQ(net.node_count, 2000);
  links.emplace_back(2000, 1);
  EXPECT_STREQ(refused(links).what(), "Too many links!");
  EXPECT_STREQ(refused({{1, 2}, {2, 2001}}).what(), "Too many nodes!");
}

TEST(LinkStore, BadLinksEndTheRunNamingTheLine) {
  for (const LinkList& links :
       {LinkList{{1, 2}, {0, 3}}, LinkList{{1, 2}, {2, -4}}, LinkList{{1, 2}, {3, 1}, {2, 1}}}) {
    const FatalError e = refused(links);
    EXPECT_NE(std::string(e.what()).find("line " + std::to_string(links.size())), std::string::npos)
        << e.what();
  }
}

// Node 2 is in 20000 reciprocated pairs with node 1 and 20000 with node 3, each link within the
// degree limits; the readers' own names for the source are pinned by their tests.
TEST(LinkStore, TooManyReciprocatedLinksNameTheSource) {
  LinkList links{{1, 2}};
  links.insert(links.end(), 20000, {2, 1});
  links.emplace_back(2, 3);
  links.insert(links.end(), 20000, {3, 2});
  EXPECT_STREQ(
      refused(links).what(),
      "Link list: node 2 has more than 32767 reciprocated links (links given repeatedly?).");
}

}  // namespace
}  // namespace tarn
