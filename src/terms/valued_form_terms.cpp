// ergm's form= of the binary dyad-independent terms on a valued network: a dyad of value y adds
// y times the binary term's change statistic of the dyad (form="sum", the default), or that
// change once when y is not 0 (form="nonzero"). ergm names the statistics by putting the form
// after the term's name: nodecov.sum.x, nodematch.nonzero.x.

#include <algorithm>

#include "numeric/letter_case.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"
#include "terms/valued_term.h"

namespace tarn {

namespace {

class FormTerm final : public DyadSumTerm {
 public:
  FormTerm(std::string text, std::vector<std::string> names, TermPointer binary, bool sum,
           const TermContext& context)
      : DyadSumTerm(std::move(text), std::move(names)),
        binary_(std::move(binary)),
        sum_(sum),
        empty_(context.node_count, context.directed, {}, GraphStorage::sparse) {
    empty_.set_bipartite(context.bipartite);
  }
  void dyad_statistics(int i, int j, int value, double* out) const override {
    const int count = statistic_count();
    if (value == 0) {
      std::fill(out, out + count, 0.0);
      return;
    }
    binary_->add_change(empty_, i, j, out);
    if (sum_) {
      for (int s = 0; s < count; ++s) out[s] *= value;
    }
  }

 private:
  TermPointer binary_;
  bool sum_;
  TermGraph empty_;
};

// The call without its form= argument, and the form it gave.
std::pair<TermCall, std::string> without_form(const TermCall& call) {
  TermCall binary = call;
  std::string form = "sum";
  const auto at = std::find_if(binary.arguments.begin(), binary.arguments.end(),
                               [](const TermArgument& a) { return a.name == "form"; });
  if (at != binary.arguments.end()) {
    if (at->value.kind != ArgumentValue::Kind::text &&
        at->value.kind != ArgumentValue::Kind::word) {
      throw ModelError("term \"" + call.written + "\": form must be \"sum\" or \"nonzero\"");
    }
    form = at->value.text;
    binary.arguments.erase(at);
  }
  if (form != "sum" && form != "nonzero") {
    throw ModelError("term \"" + call.written + "\": form must be \"sum\" or \"nonzero\", not \"" +
                     form + "\"");
  }
  return {binary, form};
}

}  // namespace

ValuedTermPointer make_valued_form(const TermCall& call, const TermContext& context) {
  auto [binary_call, form] = without_form(call);
  const TermEntry* entry = find_term_entry(call.name);
  TermPointer binary = make_term(binary_call, context);
  if (!binary->dyad_independent()) {
    throw ModelError("term \"" + call.written + "\": on a valued network " +
                     std::string(entry->name) + " must be dyad-independent");
  }
  // ergm puts the form after the name the statistics begin with (absdiffcat's are absdiff's).
  const std::string stem = entry->name == "absdiffcat" ? "absdiff" : lower_case(entry->name);
  std::vector<std::string> names = binary->statistic_names();
  for (std::string& name : names) {
    const std::size_t at = name.find(stem);
    if (at != std::string::npos) name.insert(at + stem.size(), "." + form);
  }
  return std::make_shared<FormTerm>(call.written, std::move(names), std::move(binary),
                                    form == "sum", context);
}

}  // namespace tarn
