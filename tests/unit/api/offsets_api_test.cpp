// Offsets through the library: FitSettings::offset_coef holds offset(term)'s coefficients, and
// values that do not fit the model are argument errors named as the library names the setting.
// (The free coefficient of edges + offset(edges) in closed form: OffsetsCommand, through it.)
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tarnwick/errors.h"
#include "tarnwick/fit.h"
#include "tarnwick/network.h"

namespace {

tarnwick::Network random_network() {
  std::mt19937_64 random(11);
  std::vector<std::string> nodes, senders, receivers;
  for (int i = 0; i < 20; ++i) nodes.push_back("n" + std::to_string(i));
  for (int i = 0; i < 20; ++i) {
    for (int j = 0; j < 20; ++j) {
      if (i != j && random() % 6 == 0) {
        senders.push_back(nodes[std::size_t(i)]);
        receivers.push_back(nodes[std::size_t(j)]);
      }
    }
  }
  return tarnwick::network_from_links(nodes, senders, receivers, true);
}

TEST(OffsetsApi, OffsetsThatDoNotFitTheModelAreArgumentErrors) {
  const tarnwick::Network net = random_network();
  tarnwick::FitSettings settings;
  EXPECT_THROW(tarnwick::fit(net, "edges + offset(mutual)", settings), tarnwick::ArgumentError);
  settings.offset_coef = {1.0, 2.0};
  try {
    tarnwick::fit(net, "edges + offset(mutual)", settings);
    ADD_FAILURE() << "two values for one offset were taken";
  } catch (const tarnwick::ArgumentError& e) {
    EXPECT_NE(std::string(e.what()).find("offset_coef: 2 values for 1 offset coefficient"),
              std::string::npos)
        << e.what();
  }
  settings.offset_coef = {0.5};
  settings.method = "ee";
  EXPECT_THROW(tarnwick::fit(net, "edges + offset(mutual)", settings), tarnwick::ArgumentError);
}

}  // namespace
