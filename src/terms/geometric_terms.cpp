// The geometrically weighted terms with a fixed decay a, r = 1 - e^-a:
//   gwesp  e^a * sum over links i->j of (1 - r^SP(i,j))   (edgewise shared partners)
//   gwdsp  e^a * sum over ordered pairs i != j of (1 - r^SP(i,j))   (dyadwise; undirected: pairs)
//   gwnsp  gwdsp - gwesp: the pairs without a link (non-edgewise)
//   gwidegree, gwodegree  e^a * sum over nodes of (1 - r^degree)
// with the shared partners of a type (directed): OTP k with i->k->j, ITP j->k->i, RTP i<>k<>j,
// OSP i->k and j->k, ISP k->i and k->j. One more partner raises a pair's weight by exactly r^SP
// (e^a (r^s - r^(s+1)) = e^a r^s (1 - r) = r^s), so every change statistic is a sum of powers of
// r over the pairs whose partners the toggled link changes, read from the graph's tables.
// Without fixed=TRUE the decay is estimated: the curved terms of curved_terms.h.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "terms/curved_terms.h"
#include "terms/degree_terms.h"
#include "terms/shared_partners.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

// Powers r^s for s = 0..n, and the weights e^a (1 - r^s).
struct Weights {
  Weights(double decay, int n) : scale(std::exp(decay)), power(static_cast<std::size_t>(n) + 2) {
    const double r = -std::expm1(-decay);  // 1 - e^-a
    power[0] = 1.0;
    for (std::size_t s = 1; s < power.size(); ++s) power[s] = power[s - 1] * r;
  }
  double step(int s) const { return power[static_cast<std::size_t>(s)]; }
  double weight(int s) const { return scale * (1.0 - power[static_cast<std::size_t>(s)]); }
  double scale;
  std::vector<double> power;
};

std::string decay_text(double decay) {
  return r_number_text(decay);
}

class EdgewisePartners final : public Term {
 public:
  bool weighs_geometrically() const override { return true; }
  EdgewisePartners(std::string text, std::string name, PartnerType type, double decay, int n)
      : Term(std::move(text), {std::move(name)}), type_(type), weights_(decay, n) {}

  bool dyad_independent() const override { return false; }
  PartnerTables partner_tables() const override { return tables_for(type_); }

  // A pair whose count rises adds r^count for each of its links whose partners those are.
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    double change = 0.0;
    edgewise_partner_changes(
        g, type_, i, j, [&](int count) { change += weights_.weight(count); },
        [&](int count, int links) { change += links * weights_.step(count); });
    out[0] = change;
  }

  void network_statistics(const TermGraph& g, double* out) const override {
    double sum = 0.0;
    for (const auto& [a, b] : g.link_list()) {
      sum += weights_.weight(partners_counted(g, type_, a, b));
    }
    out[0] = sum;
  }

  // The pairs of add_change found from the sender's side: each pair (a, b) whose partners the
  // dyads (i, j) change is met once per j, in a walk over two steps from i, so that a sender
  // costs the sum of its neighbours' degrees rather than n times its own.
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    if (type_ == PartnerType::rtp) {
      Term::sender_changes(g, i, include_diagonal, rows);
      return;
    }
    const int n = g.node_count();
    // By receiver j: the sum when (i, j) is absent, and when it is present (each count then
    // includes the partner the dyad gives).
    std::vector<double> absent(static_cast<std::size_t>(n) + 1, 0.0);
    std::vector<double> present(static_cast<std::size_t>(n) + 1, 0.0);
    auto add = [&](int j, int count) {
      if (j == i) return;
      absent[static_cast<std::size_t>(j)] += weights_.step(count);
      if (count > 0) present[static_cast<std::size_t>(j)] += weights_.step(count - 1);
    };
    walk_pairs(g, i, add);
    double* row = rows[0];
    for (int j = g.directed() ? 1 : i + 1; j <= n; ++j) {
      if (j == i) continue;
      const auto k = static_cast<std::size_t>(j);
      row[j - 1] =
          weights_.weight(partners(g, type_, i, j)) + (g.has_link(i, j) ? present[k] : absent[k]);
    }
  }

 private:
  // Calls add(j, count) for every receiver j of i and the partners `count` of one pair whose
  // partners the dyad (i, j) changes.
  template <class Add>
  void walk_pairs(const TermGraph& g, int i, Add& add) const {
    switch (type_) {
      case PartnerType::otp:
        g.for_each_receiver(i, [&](int y) {
          const int count = g.two_paths(i, y);
          g.for_each_sender(y, [&](int j) { add(j, count); });
        });
        g.for_each_sender(
            i, [&](int u) { g.for_each_receiver(u, [&](int j) { add(j, g.two_paths(u, j)); }); });
        break;
      case PartnerType::itp:
        g.for_each_sender(i, [&](int y) {
          const int count = g.two_paths(i, y);
          g.for_each_sender(y, [&](int j) { add(j, count); });
        });
        g.for_each_sender(
            i, [&](int u) { g.for_each_sender(u, [&](int j) { add(j, g.two_paths(u, j)); }); });
        break;
      case PartnerType::osp: {
        auto from = [&](int b) {
          const int count = g.shared_receivers(i, b);
          g.for_each_receiver(b, [&](int j) { add(j, count); });
        };
        g.for_each_receiver(i, from);
        g.for_each_sender(i, from);
        break;
      }
      case PartnerType::isp:
        g.for_each_receiver(i, [&](int b) {
          g.for_each_sender(b, [&](int j) { add(j, g.shared_senders(j, b)); });
          g.for_each_receiver(b, [&](int j) { add(j, g.shared_senders(j, b)); });
        });
        break;
      case PartnerType::undirected:
        g.for_each_receiver(i, [&](int b) {
          const int count = g.two_paths(i, b);
          g.for_each_receiver(b, [&](int j) {
            add(j, count);
            add(j, g.two_paths(j, b));
          });
        });
        break;
      case PartnerType::rtp:
        break;
    }
  }

  PartnerType type_;
  Weights weights_;
};

class DyadwisePartners final : public Term {
 public:
  bool weighs_geometrically() const override { return true; }
  DyadwisePartners(std::string text, std::string name, PartnerType type, double decay, int n)
      : Term(std::move(text), {std::move(name)}), type_(type), weights_(decay, n) {}

  bool dyad_independent() const override { return false; }
  PartnerTables partner_tables() const override { return tables_for(type_); }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    // Directed OSP, ISP and RTP count each unordered pair as two ordered ones.
    const double times = symmetric_pairs(type_) && g.directed() ? 2.0 : 1.0;
    double change = 0.0;
    pairs_gaining_partner(g, type_, i, j, [&](int a, int b, int less) {
      change += times * weights_.step(table_count(g, type_, a, b) - less);
    });
    out[0] = change;
  }

  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  // A pair without partners has weight 0 and changes no sum: the pairs with partners are
  // enough, in the order of a loop over all pairs.
  void network_statistics(const TermGraph& g, double* out) const override {
    double sum = 0.0;
    for_each_pair_with_partners(g, type_,
                                [&](int, int, int count) { sum += weights_.weight(count); });
    out[0] = sum;
  }

 private:
  PartnerType type_;
  Weights weights_;
};

// gwnsp: the pairs without a link, ergm's gwdsp - gwesp of one decay and type.
class NonedgewisePartners final : public Term {
 public:
  bool weighs_geometrically() const override { return true; }
  NonedgewisePartners(std::string text, std::string name, PartnerType type, double decay, int n)
      : Term(std::move(text), {std::move(name)}),
        type_(type),
        edgewise_("", "", type, decay, n),
        dyadwise_("", "", type, decay, n) {}

  bool dyad_independent() const override { return false; }
  PartnerTables partner_tables() const override { return tables_for(type_); }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    double edge = 0.0, dyad = 0.0;
    edgewise_.add_change(g, i, j, &edge);
    dyadwise_.add_change(g, i, j, &dyad);
    out[0] = dyad - edge;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    double edge = 0.0, dyad = 0.0;
    edgewise_.network_statistics(g, &edge);
    dyadwise_.network_statistics(g, &dyad);
    out[0] = dyad - edge;
  }

 private:
  PartnerType type_;
  EdgewisePartners edgewise_;
  DyadwisePartners dyadwise_;
};

class DegreeWeights final : public Term {
 public:
  bool weighs_geometrically() const override { return true; }
  DegreeWeights(std::string text, std::string name, bool in, double decay, int n)
      : Term(std::move(text), {std::move(name)}), in_(in), weights_(decay, n) {}

  bool dyad_independent() const override { return false; }
  DegreeFunction degree_function() const override { return {!in_, in_, false}; }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    const int x = g.tie(i, j);
    if (!g.directed()) {
      out[0] = weights_.step(g.degree(i) - x) + weights_.step(g.degree(j) - x);
      return;
    }
    out[0] = in_ ? weights_.step(g.in(j)-x) : weights_.step(g.out(i) - x);
  }

  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    double sum = 0.0;
    for (int a = 1; a <= g.node_count(); ++a) {
      sum += weights_.weight(!g.directed() ? g.degree(a) : in_ ? g.in(a) : g.out(a));
    }
    out[0] = sum;
  }

 private:
  bool in_;
  Weights weights_;
};

PartnerType partner_type(const TermArguments& arguments, const TermContext& context) {
  if (!context.directed) {
    if (arguments.given("type")) arguments.fail("type", "an undirected network has one type");
    return PartnerType::undirected;
  }
  const std::string text = arguments.given("type") ? arguments.text("type") : "OTP";
  for (PartnerType t :
       {PartnerType::otp, PartnerType::itp, PartnerType::rtp, PartnerType::osp, PartnerType::isp}) {
    if (type_name(t) == text) return t;
  }
  arguments.fail("type",
                 "give \"OTP\", \"ITP\", \"RTP\", \"OSP\" or \"ISP\" (\"" + text + "\" is none)");
}

std::string canonical(std::string_view term, double decay, bool fixed, PartnerType type,
                      bool with_type, std::string_view cutoff) {
  std::string text = std::string(term) + "(" + decay_text(decay) + (fixed ? ", fixed=TRUE" : "");
  if (with_type) text += std::string(", type=\"") + std::string(type_name(type)) + "\"";
  if (!fixed && !cutoff.empty()) text += ", cutoff=" + std::string(cutoff);
  return text + ")";
}

std::vector<std::string> numbered(const std::string& stem, int count) {
  std::vector<std::string> names;
  for (int k = 1; k <= count; ++k) names.push_back(stem + std::to_string(k));
  return names;
}

template <PartnerSum Sum>
TermPointer make_shared_partner_term(const TermCall& call, const TermContext& context) {
  const std::string_view term = Sum == PartnerSum::edgewise   ? "gwesp"
                                : Sum == PartnerSum::dyadwise ? "gwdsp"
                                                              : "gwnsp";
  const TermArguments arguments(call, {"decay", "fixed", "cutoff", "type"});
  const Decay decay = decay_of(arguments);
  const PartnerType type = partner_type(arguments, context);
  const std::string typed =
      std::string(term) + (context.directed ? "." + std::string(type_name(type)) : "");
  const int n = context.node_count;
  const bool with_type = arguments.given("type");
  const std::string written(call.name);
  auto fixed = [=](double a) -> TermPointer {
    const std::string text = canonical(written, a, true, type, with_type, "");
    const std::string name = typed + ".fixed." + decay_text(a);
    if constexpr (Sum == PartnerSum::edgewise) {
      return std::make_shared<EdgewisePartners>(text, name, type, a, n);
    } else if constexpr (Sum == PartnerSum::dyadwise) {
      return std::make_shared<DyadwisePartners>(text, name, type, a, n);
    } else {
      return std::make_shared<NonedgewisePartners>(text, name, type, a, n);
    }
  };
  if (decay.fixed) return fixed(decay.value);
  const int cutoff = cutoff_of(arguments, std::max(1, n - 2));
  const std::string stem = std::string(term.substr(2)) +
                           (context.directed ? "." + std::string(type_name(type)) : "") + "#";
  CurvedTermParts parts{canonical(written, decay.value, false, type, with_type,
                                  arguments.given("cutoff") ? std::to_string(cutoff) : ""),
                        typed, numbered(stem, cutoff), decay.value, fixed};
  return make_curved_partner_counts(std::move(parts), type, Sum);
}

template <int Kind>  // 0: in-degrees, 1: out-degrees, 2: undirected degrees
TermPointer make_degree_weights(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"decay", "fixed", "attr", "cutoff", "levels"});
  const Decay decay = decay_of(arguments);
  if (arguments.given("attr")) {
    if (!decay.fixed) {
      arguments.fail("fixed", "with attr= the decay is fixed (fixed=TRUE), as in ergm");
    }
    return make_degree_weights_by_attribute(arguments, context,
                                            Kind == 0   ? DegreeOf::in
                                            : Kind == 1 ? DegreeOf::out
                                                        : DegreeOf::undirected,
                                            decay.value);
  }
  if (arguments.given("levels")) arguments.fail("levels", "it chooses levels of attr=");
  const std::string_view stem = Kind == 0 ? "gwideg" : Kind == 1 ? "gwodeg" : "gwdeg";
  const int n = context.node_count;
  const std::string name(call.name);
  auto fixed = [=](double a) -> TermPointer {
    return std::make_shared<DegreeWeights>(name + "(" + decay_text(a) + ", fixed=TRUE)",
                                           std::string(stem) + ".fixed." + decay_text(a), Kind == 0,
                                           a, n);
  };
  if (decay.fixed) return fixed(decay.value);
  const int cutoff = cutoff_of(arguments, std::max(1, n - 1));
  const std::string_view weight = Kind == 0 ? "gwidegree" : Kind == 1 ? "gwodegree" : "gwdegree";
  const std::string_view counts = Kind == 0 ? "idegree" : Kind == 1 ? "odegree" : "degree";
  CurvedTermParts parts{
      name + "(" + decay_text(decay.value) +
          (arguments.given("cutoff") ? ", cutoff=" + std::to_string(cutoff) : "") + ")",
      std::string(weight), numbered(std::string(counts), cutoff), decay.value, fixed};
  return make_curved_degree_counts(std::move(parts), Kind == 0   ? DegreeSide::in
                                                     : Kind == 1 ? DegreeSide::out
                                                                 : DegreeSide::undirected);
}

constexpr std::array<TermEntry, 9> entries = {{
    {"gwesp", "decay, fixed=FALSE, cutoff=30, type=\"OTP\"",
     "e^decay * sum over links i->j of 1 - (1 - e^-decay)^SP(i,j), SP the shared partners of "
     "the type (undirected: common neighbours)",
     Networks::both, "", make_shared_partner_term<PartnerSum::edgewise>},
    {"dgwesp", "decay, fixed=FALSE, cutoff=30, type=\"OTP\"",
     "gwesp with the partner type OTP, ITP, RTP, OSP or ISP", Networks::directed, "gwesp",
     make_shared_partner_term<PartnerSum::edgewise>},
    {"gwdsp", "decay, fixed=FALSE, cutoff=30, type=\"OTP\"",
     "e^decay * sum over pairs i != j of 1 - (1 - e^-decay)^SP(i,j) (directed: ordered pairs)",
     Networks::both, "", make_shared_partner_term<PartnerSum::dyadwise>},
    {"dgwdsp", "decay, fixed=FALSE, cutoff=30, type=\"OTP\"",
     "gwdsp with the partner type OTP, ITP, RTP, OSP or ISP", Networks::directed, "gwdsp",
     make_shared_partner_term<PartnerSum::dyadwise>},
    {"gwnsp", "decay, fixed=FALSE, cutoff=30, type=\"OTP\"",
     "gwdsp - gwesp: e^decay * sum over pairs i != j without the link i->j of "
     "1 - (1 - e^-decay)^SP(i,j)",
     Networks::both, "", make_shared_partner_term<PartnerSum::nonedgewise>},
    {"dgwnsp", "decay, fixed=FALSE, cutoff=30, type=\"OTP\"",
     "gwnsp with the partner type OTP, ITP, RTP, OSP or ISP", Networks::directed, "gwnsp",
     make_shared_partner_term<PartnerSum::nonedgewise>},
    {"gwidegree", "decay, fixed=FALSE, attr, cutoff=30, levels",
     "e^decay * sum over nodes of 1 - (1 - e^-decay)^indegree", Networks::directed, "gwdegree",
     make_degree_weights<0>},
    {"gwodegree", "decay, fixed=FALSE, attr, cutoff=30, levels",
     "e^decay * sum over nodes of 1 - (1 - e^-decay)^outdegree", Networks::directed, "gwdegree",
     make_degree_weights<1>},
    {"gwdegree", "decay, fixed=FALSE, attr, cutoff=30, levels",
     "e^decay * sum over nodes of 1 - (1 - e^-decay)^degree", Networks::undirected,
     "gwidegree or gwodegree", make_degree_weights<2>},
}};

}  // namespace

std::span<const TermEntry> geometric_term_entries() {
  return entries;
}

}  // namespace tarn
