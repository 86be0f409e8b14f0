// The sixteen configuration types as terms: their change statistics are the readable definitions
// of change_statistics.h (the fused kernel of the pseudo-likelihood sweep computes the same
// values faster), restricted to the dyads of one block type for a block parameter (TERM@B).

#include <array>
#include <string>

#include "numeric/letter_case.h"
#include "terms/change_statistics.h"
#include "terms/term_table.h"
#include "terms/triangles_by_attribute.h"

namespace tarn {

namespace {

// With the self-pairs as dyads only these types are changes of a count of the network: the
// mutual statistic of (i, i) is the self-link itself, and the triad scans pass through it.
bool counts_with_diagonal(ConfigurationType type) {
  const int t = number(type);
  return t == 1 || t == 3 || t == 4 || t == 5 || t == 15 || t == 16;
}

// A self-link that stays fixed breaks the types whose scans count paths through it.
bool counts_with_fixed_self_links(ConfigurationType type) {
  const int t = number(type);
  return t != 6 && (t < 11 || t > 14);
}

class ClassicTerm final : public Term {
 public:
  ClassicTerm(std::string name, ConfigurationType type, int block_type,
              std::shared_ptr<const DyadBlocks> blocks, std::shared_ptr<const DyadValues> covariate)
      : Term(name, {name}),
        parameter_{type, block_type},
        blocks_(std::move(blocks)),
        covariate_(std::move(covariate)) {}

  bool dyad_independent() const override {
    return parameter_.type == ConfigurationType::edges ||
           parameter_.type == ConfigurationType::covariate;
  }
  const ClassicParameter* classic() const override { return &parameter_; }
  // Over all dyads, links count out of each node and into it; the two-stars of one side.
  DegreeFunction degree_function() const override {
    if (parameter_.block_type != 0) return {};
    const ConfigurationType t = parameter_.type;
    return {t == ConfigurationType::edges || t == ConfigurationType::out_two_star,
            t == ConfigurationType::edges || t == ConfigurationType::in_two_star, false};
  }

  // Edges and mutual ties over all dyads: 1 and 0 at a dyad that no link touches (the mutual
  // statistic of (i, j) is the reverse link j->i, which touches it).
  std::optional<NodeClassForm> node_class_form() const override {
    if (parameter_.block_type != 0 || (parameter_.type != ConfigurationType::edges &&
                                       parameter_.type != ConfigurationType::mutual)) {
      return std::nullopt;
    }
    return NodeClassForm{};
  }
  void untouched_change(int, int, bool, double* out) const override {
    out[0] = parameter_.type == ConfigurationType::edges ? 1.0 : 0.0;
  }
  bool counts_raw_triads() const override { return is_triad_type(parameter_.type); }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    if (parameter_.block_type != 0 && blocks_->block_type(i, j) != parameter_.block_type) {
      out[0] = 0.0;
      return;
    }
    out[0] = parameter_.type == ConfigurationType::covariate
                 ? covariate_->at(i, j)
                 : static_cast<double>(change_statistic(parameter_.type, g, i, j));
  }

  // The sum of the changes of the graph's links added one at a time to the empty graph: the
  // count of the configurations for a global type.
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    TermGraph built(g.node_count(), g.directed(), {}, g.storage());
    double sum = 0.0, change = 0.0;
    for (const auto& [a, b] : g.link_list()) {
      add_change(built, a, b, &change);
      sum += change;
      built.toggle(a, b);
    }
    out[0] = sum;
  }

  std::string distribution_problem(const DyadSpace& space) const override {
    const ConfigurationType type = parameter_.type;
    const std::string t = std::to_string(number(type));
    if (space.include_diagonal && !counts_with_diagonal(type)) {
      return "with the self-pairs as dyads, the statistic of type " + t +
             " is no change of a count of the network (only types 1, 3, 4, 5, 15 and 16 are); "
             "simulate without --diagonal";
    }
    if (!space.include_diagonal && space.fixed_self_links && !counts_with_fixed_self_links(type)) {
      return "the network has self-links, and the statistic of type " + t +
             " counts paths through them, so that it is no change of a count of the network; "
             "leave the self-links out of the network file";
    }
    if (parameter_.block_type == 0 || type == ConfigurationType::edges) return {};
    if (type == ConfigurationType::mutual) {
      if (space.symmetric_blocks) return {};
      return "a block parameter of mutual ties needs a symmetric block structure (the block "
             "type of a pair of blocks the same both ways); otherwise the two links of a pair lie "
             "in different block types and no count of the network changes as its statistic "
             "does";
    }
    return "a block parameter of type " + t +
           " keeps or drops a dyad's statistic by the dyad's own block type, while the dyads it "
           "counts may lie in other block types, so no count of the network changes as its "
           "statistic does";
  }

 private:
  ClassicParameter parameter_;
  std::shared_ptr<const DyadBlocks> blocks_;
  std::shared_ptr<const DyadValues> covariate_;
};

std::string classic_text(std::string_view name, int block_type) {
  std::string text(name);
  if (block_type != 0) text += "@" + std::to_string(block_type);
  return text;
}

TermPointer make_classic(std::string_view name, ConfigurationType type, int block_type,
                         const TermContext& context) {
  if (type == ConfigurationType::covariate && context.comparative == nullptr) {
    throw ModelError("term \"" + std::string(name) +
                     "\": the covariate needs a comparative network (--covariate FILE)");
  }
  if (block_type != 0 && context.blocks == nullptr) {
    throw ModelError("term \"" + classic_text(name, block_type) +
                     "\": block parameters need a blocking (--attributes and --block-by)");
  }
  return std::make_shared<ClassicTerm>(
      classic_text(name, block_type), type, block_type, block_type != 0 ? context.blocks : nullptr,
      type == ConfigurationType::covariate ? context.comparative : nullptr);
}

// The entry's make function for one type; a call with arguments is refused (its block type, if
// any, is taken by the model's builder, which orders block parameters as the dialogue does).
template <ConfigurationType Type>
TermPointer make_type(const TermCall& call, const TermContext& context) {
  if (call.parenthesised && !call.arguments.empty()) {
    throw ModelError("term \"" + call.written + "\": " + std::string(short_name(Type)) +
                     " takes no arguments");
  }
  return make_classic(short_name(Type), Type, 0, context);
}

// ttriple and ctriple, or with attr= the triads of one value of an attribute
// (triangles_by_attribute.cpp).
template <ConfigurationType Type>
TermPointer make_triple(const TermCall& call, const TermContext& context) {
  if (call.parenthesised && !call.arguments.empty()) {
    return make_triangles_by_attribute(call, context,
                                       Type == ConfigurationType::transitive_triad
                                           ? TriangleKind::transitive
                                           : TriangleKind::cyclic);
  }
  return make_classic(short_name(Type), Type, 0, context);
}

// mutual, or with same= or by= the mutual ties by attribute (dyad_state_terms.cpp).
TermPointer make_mutual(const TermCall& call, const TermContext& context) {
  if (call.parenthesised && !call.arguments.empty()) return make_mutual_by_attribute(call, context);
  return make_classic("mutual", ConfigurationType::mutual, 0, context);
}

// ergm's m2star: the mixed 2-star k->i->j, the count of two-paths.
TermPointer make_mixed_two_star(const TermCall& call, const TermContext& context) {
  if (call.parenthesised && !call.arguments.empty()) {
    throw ModelError("term \"" + call.written + "\": m2star takes no arguments");
  }
  return make_classic("m2star", ConfigurationType::two_path, 0, context);
}

using CT = ConfigurationType;

constexpr std::array<TermEntry, 19> entries = {{
    {"edges", "", "links i->j (undirected: edges)", Networks::both, "", make_type<CT::edges>,
     make_valued_nonzero},
    {"mutual", "same, by, diff=FALSE, keep, levels", "reciprocated pairs i<>j", Networks::directed,
     "edges (every edge of an undirected network is mutual)", make_mutual, make_valued_mutual},
    {"out2star", "", "out-2-stars k<-i->j (ergm: ostar(2))", Networks::directed, "kstar(2)",
     make_type<CT::out_two_star>},
    {"in2star", "", "in-2-stars k->i<-j (ergm: istar(2))", Networks::directed, "kstar(2)",
     make_type<CT::in_two_star>},
    {"twopath", "", "two-paths k->i->j (ergm: twopath, m2star)", Networks::directed,
     "kstar(2) (ergm's undirected twopath)", make_type<CT::two_path>},
    {"ttriple", "attr, diff=FALSE, levels", "transitive triads i->j->k<-i", Networks::directed,
     "triangle", make_triple<CT::transitive_triad>},
    {"ctriple", "attr, diff=FALSE, levels", "cyclic triads i->j->k->i", Networks::directed,
     "triangle", make_triple<CT::cyclic_triad>},
    {"mout2star", "", "k<>i->j", Networks::directed, "kstar(2)", make_type<CT::mutual_out_star>},
    {"min2star", "", "k<>i<-j", Networks::directed, "kstar(2)", make_type<CT::mutual_in_star>},
    {"mutual2star", "", "2-stars of reciprocated pairs k<>i<>j", Networks::directed, "kstar(2)",
     make_type<CT::mutual_two_star>},
    {"mtriple_out", "", "i<>j->k<-i", Networks::directed, "triangle",
     make_type<CT::mutual_pair_sends>},
    {"mtriple_in", "", "i<>j<-k->i", Networks::directed, "triangle",
     make_type<CT::mutual_pair_receives>},
    {"mtriple_path", "", "i<>j<-k<-i", Networks::directed, "triangle",
     make_type<CT::mutual_pair_path>},
    {"m2triple", "", "i<>j<>k<-i", Networks::directed, "triangle", make_type<CT::two_mutual_triad>},
    {"m3triple", "", "i<>j<>k<>i", Networks::directed, "triangle",
     make_type<CT::three_mutual_triad>},
    {"covariate", "", "the comparative network's value of i->j (--covariate FILE)",
     Networks::directed, "edgecov", make_type<CT::covariate>},
    {"m2star", "", "mixed 2-stars k->i->j, the count of twopath", Networks::directed, "kstar(2)",
     make_mixed_two_star},
    {"ttriad", "attr, diff=FALSE, levels", "ttriple under ergm's other name", Networks::directed,
     "triangle", make_triple<CT::transitive_triad>},
    {"ctriad", "attr, diff=FALSE, levels", "ctriple under ergm's other name", Networks::directed,
     "triangle", make_triple<CT::cyclic_triad>},
}};

}  // namespace

std::string_view term_notice(std::string_view name) {
  return lower_case(name) == "m2star" ? "m2star_is_mixed_two_star" : "";
}

std::span<const TermEntry> classic_term_entries() {
  return entries;
}

TermPointer make_classic_term(ConfigurationType type, int block_type, const TermContext& context) {
  return make_classic(short_name(type), type, block_type, context);
}

}  // namespace tarn
