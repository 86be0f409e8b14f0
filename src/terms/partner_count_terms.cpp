// Counts by shared partners, with ergm's names and definitions, one statistic per value d of a
// list (d = 0 allowed):
//   esp(d)  the links with exactly d shared partners
//   dsp(d)  the pairs with exactly d (directed: ordered pairs, so OSP, ISP and RTP count each
//           unordered pair twice; undirected: each pair once)
//   nsp(d)  dsp(d) - esp(d): the pairs without a link with exactly d
// with the partner types of shared_partners.h on a directed network (type=, OTP unless given);
// desp, ddsp and dnsp are the same terms, of directed networks only.

#include <array>
#include <string>
#include <vector>

#include "terms/shared_partners.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

class PartnerCounts final : public Term {
 public:
  PartnerCounts(std::string text, std::vector<std::string> names, PartnerSum sum, PartnerType type,
                std::vector<int> values)
      : Term(std::move(text), std::move(names)),
        sum_(sum),
        type_(type),
        values_(std::move(values)) {}

  bool dyad_independent() const override { return false; }
  PartnerTables partner_tables() const override { return tables_for(type_); }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    clear(out);
    partner_count_changes(
        g, sum_, type_, i, j, [&](int value, int sign) { add(out, value, sign); },
        [&](int from, int times) {
          add(out, from, -times);
          add(out, from + 1, times);
        });
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }

  void network_statistics(const TermGraph& g, double* out) const override {
    clear(out);
    // The pairs never visited have no partner: all pairs, less those visited.
    if (sum_ != PartnerSum::edgewise) {
      const double n = g.node_count();
      add(out, 0, static_cast<int>(g.directed() ? n * (n - 1) : n * (n - 1) / 2));
    }
    for_each_partner_count(g, sum_, type_, [&](int value, int sign, bool is_pair) {
      add(out, value, sign);
      if (is_pair) add(out, 0, -1);
    });
  }

 private:
  void clear(double* out) const {
    for (std::size_t s = 0; s < values_.size(); ++s) out[s] = 0.0;
  }
  void add(double* out, int value, int amount) const {
    for (std::size_t s = 0; s < values_.size(); ++s) {
      if (values_[s] == value) out[s] += amount;
    }
  }

  PartnerSum sum_;
  PartnerType type_;
  std::vector<int> values_;
};

template <PartnerSum Sum>
TermPointer make_partner_counts(const TermCall& call, const TermContext& context) {
  const std::string stem = Sum == PartnerSum::edgewise   ? "esp"
                           : Sum == PartnerSum::dyadwise ? "dsp"
                                                         : "nsp";
  const TermArguments arguments(call, {"d", "type"});
  const std::vector<int> values = arguments.whole_numbers("d", 0);
  PartnerType type = PartnerType::undirected;
  if (!context.directed) {
    if (arguments.given("type")) arguments.fail("type", "an undirected network has one type");
  } else {
    const std::string text = arguments.given("type") ? arguments.text("type") : "OTP";
    bool known = false;
    for (PartnerType t : {PartnerType::otp, PartnerType::itp, PartnerType::rtp, PartnerType::osp,
                          PartnerType::isp}) {
      if (type_name(t) == text) type = t, known = true;
    }
    if (!known) {
      arguments.fail(
          "type", "give \"OTP\", \"ITP\", \"RTP\", \"OSP\" or \"ISP\" (\"" + text + "\" is none)");
    }
  }
  const std::string prefix =
      stem + (context.directed ? "." + std::string(type_name(type)) : std::string());
  std::vector<std::string> names;
  std::string list;
  for (int d : values) {
    names.push_back(prefix + std::to_string(d));
    list += (list.empty() ? "" : ", ") + std::to_string(d);
  }
  std::string text = std::string(call.name) + "(" +
                     (values.size() == 1 ? list : "c(" + list + ")") +
                     (arguments.given("type") ? ", type=\"" + std::string(type_name(type)) + "\""
                                              : std::string()) +
                     ")";
  return std::make_shared<PartnerCounts>(std::move(text), std::move(names), Sum, type, values);
}

constexpr std::array<TermEntry, 6> entries = {{
    {"esp", "d, type=\"OTP\"",
     "links with exactly d shared partners of the type (undirected: common neighbours)",
     Networks::both, "", make_partner_counts<PartnerSum::edgewise>},
    {"desp", "d, type=\"OTP\"", "esp with the partner type OTP, ITP, RTP, OSP or ISP",
     Networks::directed, "esp", make_partner_counts<PartnerSum::edgewise>},
    {"dsp", "d, type=\"OTP\"",
     "pairs i != j with exactly d shared partners (directed: ordered pairs)", Networks::both, "",
     make_partner_counts<PartnerSum::dyadwise>},
    {"ddsp", "d, type=\"OTP\"", "dsp with the partner type OTP, ITP, RTP, OSP or ISP",
     Networks::directed, "dsp", make_partner_counts<PartnerSum::dyadwise>},
    {"nsp", "d, type=\"OTP\"", "dsp(d) - esp(d): pairs without a link with exactly d partners",
     Networks::both, "", make_partner_counts<PartnerSum::nonedgewise>},
    {"dnsp", "d, type=\"OTP\"", "nsp with the partner type OTP, ITP, RTP, OSP or ISP",
     Networks::directed, "nsp", make_partner_counts<PartnerSum::nonedgewise>},
}};

}  // namespace

std::span<const TermEntry> partner_count_term_entries() {
  return entries;
}

}  // namespace tarn
