#pragma once
// The table of terms: one entry per term name, with what it takes and what it counts, and the
// function that makes the term from its call in a formula. The entries of a family of terms stand
// beside their definitions (classic_terms.cpp, geometric_terms.cpp, structural_terms.cpp,
// closure_terms.cpp, attribute_terms.cpp, ...); this table gathers them. The operators F and Sum
// are entries too (operator_terms.cpp); an interaction a:b, a*b is the one call that is no name.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "network/dyad_values.h"
#include "network/network.h"
#include "network/node_covariates.h"
#include "network/node_labels.h"
#include "terms/dyad_blocks.h"
#include "terms/formula.h"
#include "terms/term.h"
#include "terms/valued_term.h"

namespace tarn {

// What a term may read when it is made.
struct TermContext {
  bool directed = true;
  int node_count = 0;
  int bipartite = 0;  // a two-mode network: nodes 1..bipartite the first mode; 0: one mode
  const NodeCovariates* attributes = nullptr;     // null without an attribute file
  const NodeLabels* labels = nullptr;             // the nodes' names; null: their numbers
  std::shared_ptr<const DyadBlocks> blocks;       // with a blocking
  std::optional<int> block_type_count;            // with a blocking
  std::shared_ptr<const DyadValues> comparative;  // the covariate of type 16, when given
  // Reads the dyadic covariate that edgecov names (a covariate given by that name, else a file);
  // null when none can be read.
  std::function<std::shared_ptr<const DyadValues>(const std::string& name)> dyadic_covariate;
  // The observed network (hamming's default), when there is one.
  const Network* network = nullptr;
};

// A node as messages name it: its label as the file writes it, and its number when that differs.
std::string node_name(const TermContext& context, int node);

enum class Networks { directed, undirected, both };

struct TermEntry {
  std::string_view name;
  std::string_view arguments;  // as the guide writes them: "decay, fixed=TRUE"
  std::string_view counts;     // what its statistic counts, in a line
  Networks networks = Networks::both;
  // For a term of one kind of network only: the term to use on the other kind, or empty.
  std::string_view other_kind;
  // The term of a binary network; null for a term of valued networks only.
  TermPointer (*make)(const TermCall& call, const TermContext& context) = nullptr;
  // The term of a valued network (--response); null for a term of binary networks only.
  ValuedTermPointer (*make_valued)(const TermCall& call, const TermContext& context) = nullptr;
};

// Every entry, in the order of the guide's table.
std::vector<const TermEntry*> term_table();
// The entry of a name (exactly, or in another letter case), or null.
const TermEntry* find_term_entry(std::string_view name);
// The warning code given wherever a term of this name is used (a name that counts something
// else in the dialogue's menu: m2star), or empty.
std::string_view term_notice(std::string_view name);
// The names of the table nearest to `word`, best first, at most three, as "a, b or c".
std::string nearest_term_names(std::string_view word, bool directed);

// The term of a call, made by its entry; throws ModelError naming the term: an unknown name
// (with the nearest names), a term of the other kind of network (TermOfOtherNetworkKind, naming
// the right one), or what the entry finds wrong with the arguments.
TermPointer make_term(const TermCall& call, const TermContext& context);

// The valued term of a call (a model of counts), made by its entry's make_valued; ModelError as
// make_term's, and for a term of binary networks only.
ValuedTermPointer make_valued_term(const TermCall& call, const TermContext& context);

// The families' entries.
std::span<const TermEntry> classic_term_entries();
std::span<const TermEntry> geometric_term_entries();
std::span<const TermEntry> partner_count_term_entries();
std::span<const TermEntry> structural_term_entries();
std::span<const TermEntry> closure_term_entries();
std::span<const TermEntry> triad_term_entries();
std::span<const TermEntry> threetrail_term_entries();
std::span<const TermEntry> attribute_term_entries();
std::span<const TermEntry> dyad_state_term_entries();
std::span<const TermEntry> difference_term_entries();
std::span<const TermEntry> node_effect_term_entries();
std::span<const TermEntry> mixing_term_entries();
std::span<const TermEntry> degree_term_entries();
std::span<const TermEntry> bipartite_term_entries();
std::span<const TermEntry> dyadic_covariate_term_entries();
std::span<const TermEntry> operator_term_entries();
std::span<const TermEntry> valued_dyad_term_entries();
std::span<const TermEntry> valued_dependent_term_entries();

// The valued forms of binary terms (valued_form_terms.cpp, valued_dyad_terms.cpp,
// valued_dependent_terms.cpp): a dyad-independent term with form="sum" or "nonzero"; edges as
// nonzero; mutual with form= "min", "nabsdiff", "product" or "geometric".
ValuedTermPointer make_valued_form(const TermCall& call, const TermContext& context);
ValuedTermPointer make_valued_nonzero(const TermCall& call, const TermContext& context);
ValuedTermPointer make_valued_mutual(const TermCall& call, const TermContext& context);
// transitiveties and cyclicalties(threshold=0) on counts (valued_dependent_terms.cpp): the dyads
// above threshold closing a two-path (a cycle) above it; one entry each with the binary terms.
ValuedTermPointer make_valued_transitiveties(const TermCall& call, const TermContext& context);
ValuedTermPointer make_valued_cyclicalties(const TermCall& call, const TermContext& context);

// mutual with same= or by= (dyad_state_terms.cpp); mutual itself without them.
TermPointer make_mutual_by_attribute(const TermCall& call, const TermContext& context);

// The interaction of a call named ":" or "*" (operator_terms.cpp): the product of its operands'
// change statistics, with "*" the operands' own statistics before it.
TermPointer make_interaction(const TermCall& call, const TermContext& context);

// The term of a configuration type and block type (0: global), as the dialogue builds its model.
TermPointer make_classic_term(ConfigurationType type, int block_type, const TermContext& context);

}  // namespace tarn
