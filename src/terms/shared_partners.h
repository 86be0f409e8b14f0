#pragma once
// Shared partners of the types ergm's gw terms take (directed: OTP k with i->k->j, ITP j->k->i,
// RTP i<>k<>j, OSP i->k and j->k, ISP k->i and k->j; undirected: common neighbours), read from
// the graph's tables, and the pairs whose counts a toggled link changes.

#include <algorithm>
#include <string_view>
#include <vector>

#include "terms/term_graph.h"

namespace tarn {

enum class PartnerType { otp, itp, rtp, osp, isp, undirected };

inline std::string_view type_name(PartnerType type) {
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

inline PartnerTables tables_for(PartnerType type) {
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
inline int partners_counted(const TermGraph& g, PartnerType type, int a, int b) {
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

// Calls meet(b) once for every partner of type `walked` (OTP, undirected, RTP, OSP or ISP) that
// node a shares with b, b != a.
template <class Meet>
void meet_two_step_partners(const TermGraph& g, PartnerType walked, int a, Meet& meet) {
  switch (walked) {
    case PartnerType::otp:
    case PartnerType::undirected:
      // a->k->b (undirected: a-k-b), k != b.
      g.for_each_receiver(a, [&](int k) {
        g.for_each_receiver(k, [&](int b) {
          if (b != a && b != k) meet(b);
        });
      });
      break;
    case PartnerType::rtp:
      // a<->k<->b, k != b.
      g.for_each_receiver(a, [&](int k) {
        if (!g.has_link(k, a)) return;
        g.for_each_receiver(k, [&](int b) {
          if (b != a && b != k && g.has_link(b, k)) meet(b);
        });
      });
      break;
    case PartnerType::osp:
      // a->k and b->k, k != b.
      g.for_each_receiver(a, [&](int k) {
        g.for_each_sender(k, [&](int b) {
          if (b != a && b != k) meet(b);
        });
      });
      break;
    case PartnerType::isp:
      // k->a and k->b, k != b.
      g.for_each_sender(a, [&](int k) {
        g.for_each_receiver(k, [&](int b) {
          if (b != a && b != k) meet(b);
        });
      });
      break;
    case PartnerType::itp:
      break;
  }
}

// Calls f(a, b, count) for every pair (a, b), a != b, that has at least one shared partner of
// `type`, with partners_counted(g, type, a, b) as its count; directed: the ordered pairs,
// undirected: a < b; in the order of a, then b ascending, as a loop over all pairs meets them.
// Pairs without partners are not visited: the walk goes over the two-step neighbourhoods only,
// in time of the sum of the products of neighbouring degrees and memory of n.
template <class F>
void for_each_pair_with_partners(const TermGraph& g, PartnerType type, F f) {
  const int n = g.node_count();
  std::vector<int> count(static_cast<std::size_t>(n) + 1, 0);
  std::vector<int> met;
  // ITP counts of (a, b) are the OTP counts of (b, a): gathered by b, handed on by a below.
  const bool by_receiver = type == PartnerType::itp;
  const PartnerType walked = by_receiver ? PartnerType::otp : type;
  auto meet = [&](int b) {
    if (count[static_cast<std::size_t>(b)]++ == 0) met.push_back(b);
  };
  std::vector<std::vector<std::pair<int, int>>> itp_rows;
  if (by_receiver) itp_rows.resize(static_cast<std::size_t>(n) + 1);
  for (int a = 1; a <= n; ++a) {
    meet_two_step_partners(g, walked, a, meet);
    std::sort(met.begin(), met.end());
    for (int b : met) {
      const int c = count[static_cast<std::size_t>(b)];
      count[static_cast<std::size_t>(b)] = 0;
      if (!g.directed() && b < a) continue;
      if (by_receiver) {
        itp_rows[static_cast<std::size_t>(b)].emplace_back(a, c);  // ascending a per b
      } else {
        f(a, b, c);
      }
    }
    met.clear();
  }
  if (by_receiver) {
    for (int a = 1; a <= n; ++a) {
      for (const auto& [b, c] : itp_rows[static_cast<std::size_t>(a)]) f(a, b, c);
    }
  }
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
inline int table_count(const TermGraph& g, PartnerType type, int a, int b) {
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

inline bool symmetric_pairs(PartnerType type) {
  return type != PartnerType::otp && type != PartnerType::itp;
}

// The change a link i->j (edge {i, j}) makes to the shared partners of links: own(count) with the
// count of the pair (i, j) itself, which the link adds to the links counted; shift(count, links)
// for each pair whose count the link raises from `count` (its count without the link), with how
// many of its links those partners are the partners of: OTP the link a->b, ITP b->a, OSP, ISP and
// RTP both, undirected the edge. Only pairs with such a link count, so each walk runs over the
// common neighbours of two nodes, found by walking the shorter of their lists.
template <class Own, class Shift>
void edgewise_partner_changes(const TermGraph& g, PartnerType type, int i, int j, Own own,
                              Shift shift) {
  const int x = g.tie(i, j);
  own(partners(g, type, i, j));
  auto add = [&](int count, int links) { shift(count - x, links); };
  switch (type) {
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
      pairs_gaining_partner(g, type, i, j, [&](int a, int b, int less) {
        const int links = !g.directed() ? g.tie(a, b) : g.tie(a, b) + g.tie(b, a);
        if (links != 0) shift(table_count(g, type, a, b) - less, links);
      });
      break;
  }
}

// Which sum over shared partners a term counts: links (esp), pairs (dsp; directed: ordered
// pairs), or pairs without a link (nsp), which ergm defines as dsp - esp.
enum class PartnerSum { edgewise, dyadwise, nonedgewise };

// The change a link i->j (edge {i, j}) makes to counts by shared partners: count(value, sign) for
// the link itself, which enters the links counted with the partners of (i, j) (sign -1 in nsp,
// where it leaves the pairs without a link); shift(from, times) for counts moving from `from` to
// from + 1, `times` of them (negative: taken from nsp with the links they belong to).
template <class Count, class Shift>
void partner_count_changes(const TermGraph& g, PartnerSum sum, PartnerType type, int i, int j,
                           Count count, Shift shift) {
  if (sum != PartnerSum::dyadwise) {
    const int sign = sum == PartnerSum::edgewise ? 1 : -1;
    edgewise_partner_changes(
        g, type, i, j, [&](int value) { count(value, sign); },
        [&](int from, int links) { shift(from, sign * links); });
  }
  if (sum != PartnerSum::edgewise) {
    // Directed OSP, ISP and RTP count each unordered pair as two ordered ones.
    const int times = symmetric_pairs(type) && g.directed() ? 2 : 1;
    pairs_gaining_partner(g, type, i, j, [&](int a, int b, int less) {
      shift(table_count(g, type, a, b) - less, times);
    });
  }
}

// f(count, sign, is_pair) for every link (edgewise: sign 1; nonedgewise: -1) and every pair with
// at least one partner (sign 1; directed: ordered pairs), counted from the neighbour lists. Pairs
// without partners are not visited: there are (pairs - visited pairs) of them.
template <class F>
void for_each_partner_count(const TermGraph& g, PartnerSum sum, PartnerType type, F f) {
  if (sum != PartnerSum::dyadwise) {
    const int sign = sum == PartnerSum::edgewise ? 1 : -1;
    for (const auto& [a, b] : g.link_list()) f(partners_counted(g, type, a, b), sign, false);
  }
  if (sum != PartnerSum::edgewise) {
    for_each_pair_with_partners(g, type, [&](int, int, int count) { f(count, 1, true); });
  }
}

}  // namespace tarn
