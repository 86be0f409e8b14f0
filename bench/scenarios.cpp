#include "scenarios.h"

#include <algorithm>
#include <cctype>

namespace tarn::bench {

namespace {

std::vector<int> types(int first, int last) {
  std::vector<int> v;
  for (int t = first; t <= last; ++t) v.push_back(t);
  return v;
}

std::vector<Scenario> make_scenarios() {
  std::vector<Scenario> all;
  {
    Scenario s;
    s.name = "S1";
    s.summary = "n = 1000, 25000 links, clustered, 35% reciprocated; types 1 to 15";
    s.network = {1000, 25000, 0.35, 0.3, 101};
    s.globals = types(1, 15);
    s.target_seconds = 1.0;
    all.push_back(s);
  }
  {
    Scenario s;
    s.name = "S2";
    s.summary = "n = 2000, 500000 links, clustered, 35% reciprocated; types 1 to 15";
    s.network = {2000, 500000, 0.35, 0.3, 202};
    s.globals = types(1, 15);
    s.target_seconds = 10.0;
    all.push_back(s);
  }
  {
    // Three blocks, four block types and pairs of blocks of no type, so that no global column is
    // the sum of a group's columns: 16 globals (with the comparative network) and 12 groups of
    // four block parameters, the last group owning column 64.
    Scenario s;
    s.name = "S3";
    s.summary =
        "n = 2000, 100000 links, 3 blocks, 4 block types; 64 parameters: types 1 to 16 and "
        "types 1 to 12 per block type";
    s.network = {2000, 100000, 0.35, 0.3, 303};
    s.globals = types(1, 16);
    s.block_categories = 3;
    s.structure = {{1, 2, 0}, {3, 4, 1}, {0, 2, 3}};
    for (int t = 1; t <= 12; ++t) s.groups.push_back({t, {1, 2, 3, 4}});
    s.comparative = {2000, 40000, 0.2, 0.2, 304};
    s.target_seconds = 30.0;
    all.push_back(s);
  }
  // Edges only on a nearly empty network: 10 links, one link, no link (so no node).
  const struct {
    const char* name;
    const char* summary;
    long links;
    unsigned seed;
  } sparse[] = {{"S4", "n = 2000, 10 links; edges only", 10, 404},
                {"S4-1", "n = 2000, 1 link (2000 -> 1); edges only", 1, 405},
                {"S4-0", "no links (so no nodes); edges only", 0, 406}};
  for (const auto& e : sparse) {
    Scenario s;
    s.name = e.name;
    s.summary = e.summary;
    s.network = {2000, e.links, 0.0, 0.0, e.seed};
    s.globals = {1};
    s.target_seconds = 0.5;
    all.push_back(s);
  }
  return all;
}

bool same_name(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool Scenario::uses_comparative() const {
  return std::find(globals.begin(), globals.end(), 16) != globals.end();
}

int Scenario::parameter_count() const {
  int count = static_cast<int>(globals.size());
  for (const BlockGroup& g : groups) count += static_cast<int>(g.blocks.size());
  return count;
}

const std::vector<Scenario>& scenarios() {
  static const std::vector<Scenario> all = make_scenarios();
  return all;
}

const Scenario* find_scenario(const std::string& name) {
  for (const Scenario& s : scenarios()) {
    if (same_name(s.name, name)) return &s;
  }
  return nullptr;
}

}  // namespace tarn::bench
