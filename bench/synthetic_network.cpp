#include "synthetic_network.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <unordered_set>

namespace tarn::bench {

namespace {

std::uint64_t key(int i, int j) {
  return (static_cast<std::uint64_t>(i) << 32) | static_cast<std::uint32_t>(j);
}

std::ofstream open_file(const std::string& path) {
  std::ofstream file(path);
  if (!file) throw std::runtime_error("cannot write " + path);
  return file;
}

}  // namespace

std::vector<std::pair<int, int>> synthetic_links(const NetworkShape& shape) {
  const int n = shape.nodes;
  if (n < 2 || shape.links <= 0) return {};
  const long possible = static_cast<long>(n) * (n - 1);
  const long wanted = std::min(shape.links, possible);
  Draws draw(shape.seed);
  auto node = [&draw, n] {
    return 1 + static_cast<int>(draw.below(static_cast<std::uint64_t>(n)));
  };
  // A drawn link is reciprocated with probability q; reciprocated links are then 2q / (1 + q) of
  // all links, which is `reciprocity` for q = reciprocity / (2 - reciprocity).
  const double reciprocate = shape.reciprocity / (2.0 - shape.reciprocity);
  std::unordered_set<std::uint64_t> present;
  present.reserve(static_cast<std::size_t>(wanted) * 2);
  std::vector<std::vector<int>> out(static_cast<std::size_t>(n) + 1);
  std::vector<std::pair<int, int>> links;
  links.reserve(static_cast<std::size_t>(wanted));
  auto add = [&](int i, int j) {
    if (i == j || static_cast<long>(links.size()) >= wanted) return false;
    if (!present.insert(key(i, j)).second) return false;
    links.emplace_back(i, j);
    out[static_cast<std::size_t>(i)].push_back(j);
    return true;
  };
  add(n, 1);  // the highest node has a link, so it counts
  long attempts = 0;
  while (static_cast<long>(links.size()) < wanted && attempts < 50 * wanted + 1000) {
    ++attempts;
    int i = node();
    int j = node();
    if (draw.unit() < shape.clustering && !out[static_cast<std::size_t>(i)].empty()) {
      const auto& first = out[static_cast<std::size_t>(i)];
      const int k = first[draw.below(first.size())];
      const auto& second = out[static_cast<std::size_t>(k)];
      if (!second.empty()) j = second[draw.below(second.size())];
    }
    if (!add(i, j)) continue;
    if (draw.unit() < reciprocate) add(j, i);
  }
  std::sort(links.begin(), links.end());
  return links;
}

void write_network_file(const std::string& path, const std::vector<std::pair<int, int>>& links,
                        const std::vector<int>& values) {
  std::ofstream file = open_file(path);
  file << "(2I5,I3)\n";
  char line[32];
  for (std::size_t k = 0; k < links.size(); ++k) {
    const int value = k < values.size() ? values[k] : 1;
    std::snprintf(line, sizeof line, "%5d%5d%3d\n", links[k].first, links[k].second, value);
    file << line;
  }
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::vector<int> synthetic_values(std::size_t count, int top, std::uint64_t seed) {
  Draws draw(seed);
  std::vector<int> values(count);
  for (int& v : values) v = 1 + static_cast<int>(draw.below(static_cast<std::uint64_t>(top)));
  return values;
}

void write_attribute_file(const std::string& path, int nodes, int attrs, int categories,
                          std::uint64_t seed) {
  std::ofstream file = open_file(path);
  Draws draw(seed);
  file << "(I5," << attrs << "I3)\n";
  char field[16];
  for (int i = 1; i <= nodes; ++i) {
    std::snprintf(field, sizeof field, "%5d", i);
    file << field;
    for (int a = 1; a <= attrs; ++a) {
      const int value = 1 + static_cast<int>(draw.below(static_cast<std::uint64_t>(categories)));
      std::snprintf(field, sizeof field, "%3d", value);
      file << field;
    }
    file << '\n';
  }
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace tarn::bench
