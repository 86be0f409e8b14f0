#pragma once
// Seeded synthetic networks in the program's file formats, for the benchmarks. The same shape and
// seed give the same files on every machine: the draws come from the raw output of mt19937_64,
// which the standard fixes, and no library distribution is used.

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tarn::bench {

struct NetworkShape {
  int nodes = 1000;
  long links = 25000;
  double reciprocity = 0.35;  // share of the links that are one side of a reciprocated pair
  double clustering = 0.3;    // share of the draws that close a two-path (so that triads exist)
  std::uint64_t seed = 1;
};

// Uniform draws on top of mt19937_64.
class Draws {
 public:
  explicit Draws(std::uint64_t seed) : random_(seed) {}
  // 0 <= unit() < 1, 53 random bits.
  double unit() { return static_cast<double>(random_() >> 11) * 0x1.0p-53; }
  // 0 <= below(limit) < limit, for limit >= 1 (the tiny modulo bias does not matter here).
  std::uint64_t below(std::uint64_t limit) { return random_() % limit; }

 private:
  std::mt19937_64 random_;
};

// Distinct links without self-links, sorted by source then target. A link is drawn either between
// two random nodes or, with probability `clustering`, so that it closes a two-path i -> k -> j;
// each drawn link is reciprocated with the probability that makes `reciprocity` the share of
// reciprocated links. When links > 0 the highest node has a link, so that it counts as a node.
std::vector<std::pair<int, int>> synthetic_links(const NetworkShape& shape);

// Writes a "(2I5,I3)" network file, one link per line; the value is 1, or values[k] for link k.
void write_network_file(const std::string& path, const std::vector<std::pair<int, int>>& links,
                        const std::vector<int>& values = {});

// Values 1..top for `count` links, for a comparative file.
std::vector<int> synthetic_values(std::size_t count, int top, std::uint64_t seed);

// An attribute file for nodes 1..n with `attrs` attributes, each with values 1..categories.
void write_attribute_file(const std::string& path, int nodes, int attrs, int categories,
                          std::uint64_t seed);

}  // namespace tarn::bench
