// The geometrically weighted terms with a fixed decay a, r = 1 - e^-a:
//   gwesp  e^a * sum over links i->j of (1 - r^SP(i,j))   (edgewise shared partners)
//   gwdsp  e^a * sum over ordered pairs i != j of (1 - r^SP(i,j))   (dyadwise; undirected: pairs)
//   gwidegree, gwodegree  e^a * sum over nodes of (1 - r^degree)
// with the shared partners of a type (directed): OTP k with i->k->j, ITP j->k->i, RTP i<>k<>j,
// OSP i->k and j->k, ISP k->i and k->j. One more partner raises a pair's weight by exactly r^SP
// (e^a (r^s - r^(s+1)) = e^a r^s (1 - r) = r^s), so every change statistic is a sum of powers of
// r over the pairs whose partners the toggled link changes, read from the graph's tables.

#include <cmath>
#include <string>
#include <vector>

#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

enum class PartnerType { otp, itp, rtp, osp, isp, undirected };

std::string_view type_name(PartnerType type) {
  switch (type) {
    case PartnerType::otp:
      return "OTP";
    case PartnerType::itp:
      return "ITP";
    case PartnerType::rtp:
      return "RTP";
    case PartnerType::osp:
      return "OSP";
    case PartnerType::isp:
      return "ISP";
    case PartnerType::undirected:
      break;
  }
  return "";
}

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

PartnerTables tables_for(PartnerType type) {
  PartnerTables t;
  switch (type) {
    case PartnerType::otp:
    case PartnerType::itp:
    case PartnerType::undirected:
      t.two_paths = true;
      break;
    case PartnerType::rtp:
      t.mutual_two_paths = true;
      break;
    case PartnerType::osp:
      t.shared_receivers = true;
      break;
    case PartnerType::isp:
      t.shared_senders = true;
      break;
  }
  return t;
}

// Shared partners of the pair (a, b), counted from the neighbour lists (not the tables), for the
// network statistics.
int partners_counted(const TermGraph& g, PartnerType type, int a, int b) {
  int count = 0;
  switch (type) {
    case PartnerType::otp:
    case PartnerType::undirected:
      g.for_each_receiver(a, [&](int k) { count += k != b && g.has_link(k, b) ? 1 : 0; });
      break;
    case PartnerType::itp:
      g.for_each_receiver(b, [&](int k) { count += k != a && g.has_link(k, a) ? 1 : 0; });
      break;
    case PartnerType::rtp:
      g.for_each_receiver(a, [&](int k) {
        count += k != b && g.has_link(k, a) && g.has_link(k, b) && g.has_link(b, k) ? 1 : 0;
      });
      break;
    case PartnerType::osp:
      g.for_each_receiver(a, [&](int k) { count += k != b && g.has_link(b, k) ? 1 : 0; });
      break;
    case PartnerType::isp:
      g.for_each_sender(a, [&](int k) { count += k != b && g.has_link(k, b) ? 1 : 0; });
      break;
  }
  return count;
}

// The tables' count of the pair (a, b).
inline int partners(const TermGraph& g, PartnerType type, int a, int b) {
  switch (type) {
    case PartnerType::otp:
    case PartnerType::undirected:
      return g.two_paths(a, b);
    case PartnerType::itp:
      return g.two_paths(b, a);
    case PartnerType::rtp:
      return g.mutual_two_paths(a, b);
    case PartnerType::osp:
      return g.shared_receivers(a, b);
    case PartnerType::isp:
      return g.shared_senders(a, b);
  }
  return 0;
}

// The table's count of the pair (a, b) itself (for ITP the two-paths a->k->b, unlike partners()).
int table_count(const TermGraph& g, PartnerType type, int a, int b) {
  return type == PartnerType::itp ? g.two_paths(a, b) : partners(g, type, a, b);
}

// Calls f(a, b, less) for every ordered pair (a, b) that gains the partner when the link i->j
// (edge {i, j}) is added, where `less` is 1 when the pair's count includes that partner already
// (the link is present), so that count - less is its count without the link. Pairs (a, a) are
// left out; for OSP, ISP, RTP and undirected graphs each unordered pair comes once, as (a, b) only.
template <class F>
void pairs_gaining_partner(const TermGraph& g, PartnerType type, int i, int j, F f) {
  const int x = g.tie(i, j);
  switch (type) {
    case PartnerType::otp:
    case PartnerType::itp:
      // j becomes a partner of (i, y) for i->j->y, and i of (u, j) for u->i->j.
      g.for_each_receiver(j, [&](int y) {
        if (y != i) f(i, y, x);
      });
      g.for_each_sender(i, [&](int u) {
        if (u != j) f(u, j, x);
      });
      break;
    case PartnerType::osp:
      g.for_each_sender(j, [&](int b) {
        if (b != i) f(i, b, x);
      });
      break;
    case PartnerType::isp:
      g.for_each_receiver(i, [&](int b) {
        if (b != j) f(j, b, x);
      });
      break;
    case PartnerType::rtp: {
      if (!g.has_link(j, i)) break;  // i->j makes no reciprocated pair
      g.for_each_receiver(j, [&](int b) {
        if (b != i && g.has_link(b, j)) f(i, b, x);
      });
      g.for_each_receiver(i, [&](int b) {
        if (b != j && g.has_link(b, i)) f(j, b, x);
      });
      break;
    }
    case PartnerType::undirected:
      g.for_each_receiver(j, [&](int b) {
        if (b != i) f(i, b, x);
      });
      g.for_each_receiver(i, [&](int b) {
        if (b != j) f(j, b, x);
      });
      break;
  }
}

bool symmetric_pairs(PartnerType type) {
  return type != PartnerType::otp && type != PartnerType::itp;
}

std::string decay_text(double decay) {
  return r_number_text(decay);
}

class EdgewisePartners final : public Term {
 public:
  EdgewisePartners(std::string text, std::string name, PartnerType type, double decay, int n)
      : Term(std::move(text), {std::move(name)}), type_(type), weights_(decay, n) {}

  bool dyad_independent() const override { return false; }
  PartnerTables partner_tables() const override { return tables_for(type_); }

  // A pair whose table count rises adds r^count for each of its links whose partners those are:
  // OTP the link a->b, ITP the link b->a, OSP, ISP and RTP both, undirected the edge. Only pairs
  // with such a link count, so each sum runs over the common neighbours of two nodes, found by
  // walking the shorter of their lists.
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    const int x = g.tie(i, j);
    double change = weights_.weight(partners(g, type_, i, j));
    auto add = [&](int count, int links) { change += links * weights_.step(count - x); };
    switch (type_) {
      case PartnerType::otp:
        // (i, y) with i->y and j->y; (u, j) with u->i and u->j.
        g.for_each_common_receiver(i, j, [&](int y) { add(g.two_paths(i, y), 1); });
        g.for_each_common_sender(i, j, [&](int u) { add(g.two_paths(u, j), 1); });
        break;
      case PartnerType::itp:
        // (i, u) and (u, j) with j->u->i: the links u->i and j->u.
        g.for_each_two_path_middle(j, i, [&](int u) {
          add(g.two_paths(i, u), 1);
          add(g.two_paths(u, j), 1);
        });
        break;
      case PartnerType::osp:
        // (i, b) with b->j and a link between i and b.
        g.for_each_sender(j, [&](int b) {
          if (b != i) {
            const int links = g.tie(i, b) + g.tie(b, i);
            if (links != 0) add(g.shared_receivers(i, b), links);
          }
        });
        break;
      case PartnerType::isp:
        // (j, b) with i->b and a link between j and b.
        g.for_each_receiver(i, [&](int b) {
          if (b != j) {
            const int links = g.tie(j, b) + g.tie(b, j);
            if (links != 0) add(g.shared_senders(j, b), links);
          }
        });
        break;
      case PartnerType::rtp:
      case PartnerType::undirected:
        pairs_gaining_partner(g, type_, i, j, [&](int a, int b, int less) {
          const int links = !g.directed() ? g.tie(a, b) : g.tie(a, b) + g.tie(b, a);
          if (links != 0) change += links * weights_.step(table_count(g, type_, a, b) - less);
        });
        break;
    }
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
    double* row = rows[0];
    for (int j = g.directed() ? 1 : i + 1; j <= n; ++j) {
      if (j == i) continue;
      const auto k = static_cast<std::size_t>(j);
      row[j - 1] =
          weights_.weight(partners(g, type_, i, j)) + (g.has_link(i, j) ? present[k] : absent[k]);
    }
  }

 private:
  PartnerType type_;
  Weights weights_;
};

class DyadwisePartners final : public Term {
 public:
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
  void network_statistics(const TermGraph& g, double* out) const override {
    const int n = g.node_count();
    double sum = 0.0;
    for (int a = 1; a <= n; ++a) {
      for (int b = g.directed() ? 1 : a + 1; b <= n; ++b) {
        if (b != a) sum += weights_.weight(partners_counted(g, type_, a, b));
      }
    }
    out[0] = sum;
  }

 private:
  PartnerType type_;
  Weights weights_;
};

class DegreeWeights final : public Term {
 public:
  DegreeWeights(std::string text, std::string name, bool in, double decay, int n)
      : Term(std::move(text), {std::move(name)}), in_(in), weights_(decay, n) {}

  bool dyad_independent() const override { return false; }

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

double fixed_decay(const TermArguments& arguments, std::string_view term) {
  const double decay = arguments.number("decay");
  if (!arguments.logical("fixed", false)) {
    arguments.fail("fixed", "Tarnwick fits " + std::string(term) +
                                " with a fixed decay only: write " + std::string(term) + "(" +
                                decay_text(decay) + ", fixed=TRUE)");
  }
  if (!(decay >= 0.0) || decay > 50.0) arguments.fail("decay", "give a number from 0 to 50");
  return decay;
}

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

std::string canonical(std::string_view term, double decay, PartnerType type, bool with_type) {
  std::string text = std::string(term) + "(" + decay_text(decay) + ", fixed=TRUE";
  if (with_type) text += std::string(", type=\"") + std::string(type_name(type)) + "\"";
  return text + ")";
}

template <bool Edgewise>
TermPointer make_shared_partner_term(const TermCall& call, const TermContext& context) {
  const std::string_view term = Edgewise ? "gwesp" : "gwdsp";
  const TermArguments arguments(call, {"decay", "fixed", "cutoff", "type"});
  const double decay = fixed_decay(arguments, call.name);
  const PartnerType type = partner_type(arguments, context);
  const std::string name = std::string(term) +
                           (context.directed ? "." + std::string(type_name(type)) : "") +
                           ".fixed." + decay_text(decay);
  const std::string text = canonical(call.name, decay, type, arguments.given("type"));
  if constexpr (Edgewise) {
    return std::make_shared<EdgewisePartners>(text, name, type, decay, context.node_count);
  } else {
    return std::make_shared<DyadwisePartners>(text, name, type, decay, context.node_count);
  }
}

template <int Kind>  // 0: in-degrees, 1: out-degrees, 2: undirected degrees
TermPointer make_degree_weights(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"decay", "fixed", "cutoff"});
  const double decay = fixed_decay(arguments, call.name);
  const std::string_view stem = Kind == 0 ? "gwideg" : Kind == 1 ? "gwodeg" : "gwdeg";
  return std::make_shared<DegreeWeights>(
      std::string(call.name) + "(" + decay_text(decay) + ", fixed=TRUE)",
      std::string(stem) + ".fixed." + decay_text(decay), Kind == 0, decay, context.node_count);
}

constexpr std::array<TermEntry, 7> entries = {{
    {"gwesp", "decay, fixed=TRUE, type=\"OTP\"",
     "e^decay * sum over links i->j of 1 - (1 - e^-decay)^SP(i,j), SP the shared partners of "
     "the type (undirected: common neighbours)",
     Networks::both, "", make_shared_partner_term<true>},
    {"dgwesp", "decay, fixed=TRUE, type=\"OTP\"",
     "gwesp with the partner type OTP, ITP, RTP, OSP or ISP", Networks::directed, "gwesp",
     make_shared_partner_term<true>},
    {"gwdsp", "decay, fixed=TRUE, type=\"OTP\"",
     "e^decay * sum over pairs i != j of 1 - (1 - e^-decay)^SP(i,j) (directed: ordered pairs)",
     Networks::both, "", make_shared_partner_term<false>},
    {"dgwdsp", "decay, fixed=TRUE, type=\"OTP\"",
     "gwdsp with the partner type OTP, ITP, RTP, OSP or ISP", Networks::directed, "gwdsp",
     make_shared_partner_term<false>},
    {"gwidegree", "decay, fixed=TRUE", "e^decay * sum over nodes of 1 - (1 - e^-decay)^indegree",
     Networks::directed, "gwdegree", make_degree_weights<0>},
    {"gwodegree", "decay, fixed=TRUE", "e^decay * sum over nodes of 1 - (1 - e^-decay)^outdegree",
     Networks::directed, "gwdegree", make_degree_weights<1>},
    {"gwdegree", "decay, fixed=TRUE", "e^decay * sum over nodes of 1 - (1 - e^-decay)^degree",
     Networks::undirected, "gwidegree or gwodegree", make_degree_weights<2>},
}};

}  // namespace

std::span<const TermEntry> geometric_term_entries() {
  return entries;
}

}  // namespace tarn
