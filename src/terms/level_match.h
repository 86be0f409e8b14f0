#pragma once
// Whether two nodes match on an attribute, as nodematch, mutual(same=) and asymmetric(attr)
// count them: both of one kept level (a node of a level left out matches no node); with diff,
// one statistic per kept level.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "terms/term.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

class LevelMatch {
 public:
  // `codes`: every node's place among the kept levels (node i at i - 1), -1 for none.
  LevelMatch(std::vector<int> codes, bool diff) : codes_(std::move(codes)), diff_(diff) {}

  // The statistic a link between i and j counts in, or -1 when they do not match.
  int statistic(int i, int j) const {
    const int a = code(i);
    return a >= 0 && a == code(j) ? (diff_ ? a : 0) : -1;
  }
  // The statistic a match at i counts in (-1: i matches no node).
  int statistic_of_match(int i) const {
    const int a = code(i);
    return a < 0 ? -1 : diff_ ? a : 0;
  }
  // The match key (a node of a level left out has a key of its own) and, with diff, the classes.
  NodeClassForm form() const {
    NodeClassForm form;
    const int kept = static_cast<int>(codes_.size());
    for (std::size_t i = 0; i < codes_.size(); ++i) {
      form.match_key.push_back(codes_[i] >= 0 ? codes_[i] : kept + static_cast<int>(i));
      if (diff_) form.node_class.push_back(codes_[i] + 1);
    }
    return form;
  }

 private:
  int code(int node) const { return codes_[static_cast<std::size_t>(node - 1)]; }
  std::vector<int> codes_;
  bool diff_;
};

// A term's match on the attribute of `argument` with diff=, keep= and levels=, its statistics'
// names (stem.attr; with diff=TRUE, or always `by_level`, diff_stem.attr.level) and its options
// as written, for its canonical text.
struct AttributeMatch {
  LevelMatch match;
  std::string attribute;
  std::vector<std::string> names;
  std::string options;  // ", diff=TRUE, levels=-1"
};
AttributeMatch attribute_match(const TermArguments& arguments, const TermContext& context,
                               std::string_view argument, const std::string& stem,
                               const std::string& diff_stem, bool by_level = false);

}  // namespace tarn
