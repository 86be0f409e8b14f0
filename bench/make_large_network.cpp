// A large directed network for the command line's benchmarks and tests: N nodes in departments of
// 50 (the last may be smaller), each node sending about D ties, most of them within its
// department, some of them returned.
//
//   make_large_network N OUT_PREFIX [--degree D] [--seed S]
//
// writes OUT_PREFIX.csv (source,target, sorted by source then target, each link once) and
// OUT_PREFIX_attributes.csv (id,dept,kind: the department 1.. and a second attribute of three
// levels). The draws are std::mt19937_64 with integer mappings of their own, so the files are the
// same on every machine and with every standard library.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// A number in 0..k-1 from the high 32 bits of one draw (multiply and shift, k < 2^32).
std::uint64_t below(std::mt19937_64& rng, std::uint64_t k) {
  return ((rng() >> 32) * k) >> 32;
}

// True with probability per_mille / 1000.
bool chance(std::mt19937_64& rng, std::uint64_t per_mille) {
  return below(rng, 1000) < per_mille;
}

int usage() {
  std::fprintf(stderr, "usage: make_large_network N OUT_PREFIX [--degree D] [--seed S]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const long n = std::strtol(argv[1], nullptr, 10);
  const std::string prefix = argv[2];
  long degree = 10;
  std::uint64_t seed = 1;
  for (int a = 3; a + 1 < argc; a += 2) {
    const std::string option = argv[a];
    if (option == "--degree") {
      degree = std::strtol(argv[a + 1], nullptr, 10);
    } else if (option == "--seed") {
      seed = std::strtoull(argv[a + 1], nullptr, 10);
    } else {
      return usage();
    }
  }
  if (n < 2 || n > 100000000 || degree < 1) return usage();
  constexpr long department = 50;
  std::mt19937_64 rng(seed);
  std::vector<std::pair<std::int32_t, std::int32_t>> links;
  links.reserve(static_cast<std::size_t>(n * degree * 13 / 10));
  for (long i = 1; i <= n; ++i) {
    const long first = (i - 1) / department * department + 1;
    const long members = std::min(department, n - first + 1);
    for (long k = 0; k < degree; ++k) {
      long j = 0;
      if (members > 1 && chance(rng, 800)) {
        j = first + static_cast<long>(below(rng, static_cast<std::uint64_t>(members)));
      } else {
        j = 1 + static_cast<long>(below(rng, static_cast<std::uint64_t>(n)));
      }
      if (j == i) continue;
      links.emplace_back(static_cast<std::int32_t>(i), static_cast<std::int32_t>(j));
      if (chance(rng, 300)) {
        links.emplace_back(static_cast<std::int32_t>(j), static_cast<std::int32_t>(i));
      }
    }
  }
  std::sort(links.begin(), links.end());
  links.erase(std::unique(links.begin(), links.end()), links.end());

  const std::string network_path = prefix + ".csv";
  const std::string attributes_path = prefix + "_attributes.csv";
  std::FILE* out = std::fopen(network_path.c_str(), "w");
  if (out == nullptr) {
    std::perror(network_path.c_str());
    return 1;
  }
  std::fputs("source,target\n", out);
  for (const auto& [i, j] : links) std::fprintf(out, "%d,%d\n", i, j);
  std::fclose(out);
  std::FILE* attributes = std::fopen(attributes_path.c_str(), "w");
  if (attributes == nullptr) {
    std::perror(attributes_path.c_str());
    return 1;
  }
  std::fputs("id,dept,kind\n", attributes);
  for (long i = 1; i <= n; ++i) {
    std::fprintf(attributes, "%ld,%ld,%ld\n", i, (i - 1) / department + 1,
                 1 + static_cast<long>(below(rng, 3)));
  }
  std::fclose(attributes);
  std::printf("%ld nodes, %zu links: %s, %s\n", n, links.size(), network_path.c_str(),
              attributes_path.c_str());
  return 0;
}
