// Shared partners within one mode of a two-mode network, with ergm's names and definitions:
//   b1dsp(d)                    pairs of b1 nodes with exactly d common (b2) neighbours: b1dsp2
//   gwb1dsp(decay, fixed=FALSE, cutoff=30)  e^decay * sum over pairs of b1 nodes of
//                               1 - (1 - e^-decay)^SP; estimated decay: the counts b1dsp#1..K
// and their b2 twins. The common neighbours come from the graph's undirected two-path table; a
// link (a, b) changes the pairs of a with b's other neighbours and of b with a's.

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "terms/bipartite_mode.h"
#include "terms/curved_terms.h"
#include "terms/degree_terms.h"
#include "terms/shared_partners.h"
#include "terms/term_arguments.h"

namespace tarn {

namespace {

// The sum over the pairs of a mode's nodes of f(their common neighbours).
class ModePairSum final : public Term {
 public:
  // Adds weight * f_s(count) into out[s] for every statistic s.
  using Function = std::function<void(int count, double weight, double* out)>;
  ModePairSum(std::string text, std::vector<std::string> names, Mode mode, int members, Function f,
              bool geometric)
      : Term(std::move(text), std::move(names)),
        mode_(mode),
        members_(members),
        f_(std::move(f)),
        geometric_(geometric) {}

  bool dyad_independent() const override { return false; }
  bool weighs_geometrically() const override { return geometric_; }
  PartnerTables partner_tables() const override { return tables_for(PartnerType::undirected); }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    const int x = g.tie(i, j);
    // The pair (a, c) gains the partner b.
    auto pairs_through = [&](int a, int b) {
      if (!mode_.holds(a)) return;
      g.for_each_receiver(b, [&](int c) {
        if (c == a || !mode_.holds(c)) return;
        const int from = g.two_paths(a, c) - x;
        f_(from + 1, 1.0, out);
        f_(from, -1.0, out);
      });
    };
    pairs_through(i, j);
    pairs_through(j, i);
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    double met = 0.0;
    for_each_pair_with_partners(g, PartnerType::undirected, [&](int a, int c, int count) {
      if (!mode_.holds(a) || !mode_.holds(c)) return;
      f_(count, 1.0, out);
      ++met;
    });
    f_(0, choose(members_, 2) - met, out);  // the pairs without a common neighbour
  }

 private:
  Mode mode_;
  int members_;  // the mode's nodes
  Function f_;
  bool geometric_;
};

int members_of(Mode mode, const TermContext& context) {
  return mode.mode == 1 ? mode.first : context.node_count - mode.first;
}

template <int M>
TermPointer make_dsp(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"d"});
  const std::vector<int> ds = arguments.whole_numbers("d", 0);
  std::vector<std::string> names;
  for (int d : ds) names.push_back(mode.prefix() + "dsp" + std::to_string(d));
  return std::make_shared<ModePairSum>(
      mode.prefix() + "dsp(" + number_list(ds) + ")", std::move(names), mode,
      members_of(mode, context),
      [ds](int count, double weight, double* out) {
        for (std::size_t s = 0; s < ds.size(); ++s) out[s] += count == ds[s] ? weight : 0.0;
      },
      false);
}

template <int M>
TermPointer make_gwdsp(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"decay", "fixed", "cutoff"});
  const Decay decay = decay_of(arguments);
  const std::string name = "gw" + mode.prefix() + "dsp";
  const int members = members_of(mode, context);
  auto fixed = [mode, name, members](double a) -> TermPointer {
    const std::string decay_text = r_number_text(a);
    const double scale = std::exp(a), r = -std::expm1(-a);
    return std::make_shared<ModePairSum>(
        name + "(" + decay_text + ", fixed=TRUE)",
        std::vector<std::string>{name + ".fixed." + decay_text}, mode, members,
        [scale, r](int count, double weight, double* out) {
          out[0] += weight * scale * (1.0 - std::pow(r, count));
        },
        true);
  };
  if (decay.fixed) {
    return fixed(decay.value);
  }
  // A pair's partners are nodes of the other mode.
  const int cutoff = cutoff_of(arguments, std::max(1, context.node_count - members));
  std::vector<std::string> names;
  for (int k = 1; k <= cutoff; ++k) names.push_back(mode.prefix() + "dsp#" + std::to_string(k));
  const std::string text = name + "(" + r_number_text(decay.value) +
                           (arguments.given("cutoff") ? ", cutoff=" + std::to_string(cutoff) : "") +
                           ")";
  auto counts = std::make_shared<ModePairSum>(
      text, names, mode, members,
      [cutoff](int count, double weight, double* out) {
        if (count >= 1 && count <= cutoff) out[count - 1] += weight;
      },
      true);
  auto beyond = [mode, cutoff](const TermGraph& g) {
    int count = 0;
    for_each_pair_with_partners(g, PartnerType::undirected, [&](int a, int c, int partners) {
      count += mode.holds(a) && mode.holds(c) && partners > cutoff;
    });
    return count;
  };
  return make_curved_from_counts(CurvedTermParts{text, name, names, decay.value, fixed}, counts,
                                 beyond);
}

constexpr std::array<TermEntry, 4> entries = {{
    {"b1dsp", "d", "two-mode: pairs of first-mode nodes with exactly d common neighbours",
     Networks::both, "", make_dsp<1>},
    {"b2dsp", "d", "two-mode: pairs of second-mode nodes with exactly d common neighbours",
     Networks::both, "", make_dsp<2>},
    {"gwb1dsp", "decay, fixed=FALSE, cutoff=30",
     "two-mode: e^decay * sum over pairs of first-mode nodes of 1 - (1 - e^-decay)^SP, SP their "
     "common neighbours",
     Networks::both, "", make_gwdsp<1>},
    {"gwb2dsp", "decay, fixed=FALSE, cutoff=30",
     "two-mode: e^decay * sum over pairs of second-mode nodes of 1 - (1 - e^-decay)^SP",
     Networks::both, "", make_gwdsp<2>},
}};

}  // namespace

std::span<const TermEntry> bipartite_partner_term_entries() {
  return entries;
}

}  // namespace tarn
