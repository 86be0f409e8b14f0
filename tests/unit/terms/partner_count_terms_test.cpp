// The counts by shared partners (esp, dsp, nsp and their directed forms with a type) and gwnsp,
// fixed and curved, against their definitions counted by brute force: on random directed and
// undirected networks, and on the Florentine marriages.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/florentine_ties.h"
#include "support/term_check.h"

namespace tarn {
namespace {

using namespace test;

const std::vector<std::string> types = {"OTP", "ITP", "RTP", "OSP", "ISP"};

bool linked(const Ties& x, int a, int b) {
  return x(a, b) != 0;
}

// The links (edgewise), all pairs (dyadwise) or the pairs without a link (nonedgewise) with
// exactly d partners, for each d; directed pairs are ordered.
Brute counts_of(char sum, std::string type, std::vector<int> values) {
  return [=](const Ties& x, const World&) {
    std::vector<double> out;
    for (int d : values) {
      double count = 0;
      pairs(x, [&](int a, int b) {
        const bool counted = sum == 'e' ? linked(x, a, b) : sum == 'n' ? !linked(x, a, b) : true;
        if (counted && partners(x, type, a, b) == d) count += 1;
      });
      out.push_back(count);
    }
    return out;
  };
}

std::vector<Case> partner_cases() {
  std::vector<Case> all;
  for (const auto& [term, sum] :
       std::vector<std::pair<std::string, char>>{{"esp", 'e'}, {"dsp", 'd'}, {"nsp", 'n'}}) {
    all.push_back({term + "(0:3)", false, counts_of(sum, "", {0, 1, 2, 3})});
    all.push_back({term + "(c(2, 0))", true, counts_of(sum, "OTP", {2, 0})});
    for (const std::string& type : types) {
      all.push_back(
          {"d" + term + "(0:2, type=\"" + type + "\")", true, counts_of(sum, type, {0, 1, 2})});
    }
  }
  // gwnsp: gwdsp - gwesp; curved, the counts nsp#1..K.
  auto gw_nonedgewise = [](std::string type, double decay) {
    return [=](const Ties& x, const World&) {
      double sum = 0;
      pairs(x, [&](int a, int b) {
        if (!linked(x, a, b)) sum += weight(decay, partners(x, type, a, b));
      });
      return std::vector<double>{sum};
    };
  };
  all.push_back({"gwnsp(0.5, fixed=TRUE)", false, gw_nonedgewise("", 0.5)});
  all.push_back({"gwnsp(0.7, fixed=TRUE)", true, gw_nonedgewise("OTP", 0.7)});
  for (const std::string& type : types) {
    all.push_back(
        {"dgwnsp(0.4, fixed=TRUE, type=\"" + type + "\")", true, gw_nonedgewise(type, 0.4)});
    all.push_back(
        {"dgwnsp(0.4, cutoff=3, type=\"" + type + "\")", true, counts_of('n', type, {1, 2, 3})});
  }
  all.push_back({"gwnsp(0.4, cutoff=3)", false, counts_of('n', "", {1, 2, 3})});
  return all;
}

TEST(PartnerCountTerms, AgainstBruteForceOnRandomNetworksAndTheFlorentineMarriages) {
  std::mt19937 random(51);
  const World w = world_of(16, random);
  for (const Case& c : partner_cases()) {
    check_against_brute_force(c, random);
    check_on_network(c, florentine_ties(c.directed), w);
  }
}

}  // namespace
}  // namespace tarn
