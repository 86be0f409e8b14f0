#include "simulate/class_dyad_draw.h"

#include <algorithm>
#include <numeric>

#include "fit/pair_layout.h"

namespace tarn {

namespace {

// The nodes sorted by (group, class, node).
std::vector<int> nodes_by_group(const std::vector<int>& group, const std::vector<int>& of_class) {
  std::vector<int> nodes(group.size());
  std::iota(nodes.begin(), nodes.end(), 1);
  std::sort(nodes.begin(), nodes.end(), [&](int a, int b) {
    const auto ia = std::size_t(a - 1), ib = std::size_t(b - 1);
    if (group[ia] != group[ib]) return group[ia] < group[ib];
    if (of_class[ia] != of_class[ib]) return of_class[ia] < of_class[ib];
    return a < b;
  });
  return nodes;
}

struct ClassRun {  // the members of one class within one group
  int of_class = 0;
  std::uint32_t first = 0, size = 0;
};

}  // namespace

std::optional<ClassDyadDraw> ClassDyadDraw::of(const Study& study, std::int64_t most_entries) {
  if (study.include_diagonal) return std::nullopt;
  const int n = study.node_count();
  const Forms forms = forms_of(study.model, FormsOf::dyad_independent_terms);
  if (forms.without != nullptr) return std::nullopt;
  for (const NodeClassForm& form : forms.of_term) {
    if (!form.touched.empty()) return std::nullopt;
  }
  const NodeClasses classes = node_classes(forms, n);
  const MatchKeys match = match_keys(forms);
  const std::int64_t c2 = std::int64_t{classes.count} * classes.count;
  const std::int64_t patterns = std::int64_t{1} << match.count();
  if (match.count() > most_match_keys ||
      c2 * patterns > std::min(largest_class_table, most_entries))
    return std::nullopt;
  const ClassPairTable table(classes, match, n);

  ClassDyadDraw d;
  for (const std::vector<int>* key : match.keys) d.keys_.push_back(*key);
  std::vector<int> cell_of(static_cast<std::size_t>(c2 * patterns), -1);
  std::vector<bool> pattern_used(static_cast<std::size_t>(patterns), false);
  for (std::int64_t p = 0; p < patterns; ++p) {
    for (int a = 0; a < classes.count; ++a) {
      for (int b = 0; b < classes.count; ++b) {
        const std::int64_t pairs = table.cell(p, a, b);
        if (pairs == 0) continue;
        Cell cell;
        cell.change = untouched_changes(study.model, match, classes.representative[std::size_t(a)],
                                        classes.representative[std::size_t(b)], p,
                                        FormsOf::dyad_independent_terms);
        cell.pairs = pairs;
        cell.pattern = p;
        cell_of[std::size_t(p * c2 + std::int64_t{a} * classes.count + b)] = int(d.cells_.size());
        d.cells_.push_back(std::move(cell));
        pattern_used[std::size_t(p)] = true;
      }
    }
  }

  // Each cell's groups: the groups of nodes that agree on its keys, by the members of its two
  // classes in each.
  std::vector<std::vector<Group>> groups_of(d.cells_.size());
  std::vector<std::vector<double>> weights_of(d.cells_.size());
  std::int64_t entries = 0;
  std::vector<ClassRun> runs;
  for (std::int64_t p = 0; p < patterns; ++p) {
    if (!pattern_used[std::size_t(p)]) continue;
    int group_count = 1;
    const std::vector<int> group = groups_by_keys(match, p, n, group_count);
    const std::vector<int> nodes = nodes_by_group(group, classes.of_node);
    const auto base = static_cast<std::uint32_t>(d.members_.size());
    entries += n;
    if (entries > most_entries) return std::nullopt;
    d.members_.insert(d.members_.end(), nodes.begin(), nodes.end());
    for (std::size_t at = 0; at < nodes.size();) {
      const int g = group[std::size_t(nodes[at] - 1)];
      runs.clear();
      while (at < nodes.size() && group[std::size_t(nodes[at] - 1)] == g) {
        ClassRun run{classes.of_node[std::size_t(nodes[at] - 1)], base + std::uint32_t(at), 0};
        while (at < nodes.size() && group[std::size_t(nodes[at] - 1)] == g &&
               classes.of_node[std::size_t(nodes[at] - 1)] == run.of_class) {
          ++run.size, ++at;
        }
        runs.push_back(run);
      }
      for (const ClassRun& first : runs) {
        for (const ClassRun& second : runs) {
          const int c = cell_of[std::size_t(p * c2 + std::int64_t{first.of_class} * classes.count +
                                            second.of_class)];
          const std::int64_t pairs = std::int64_t{first.size} * second.size -
                                     (first.of_class == second.of_class ? first.size : 0);
          if (c < 0 || pairs == 0) continue;
          if (++entries > most_entries) return std::nullopt;
          groups_of[std::size_t(c)].push_back({first.first, first.size, second.first, second.size});
          weights_of[std::size_t(c)].push_back(static_cast<double>(pairs));
        }
      }
    }
  }
  for (std::size_t c = 0; c < d.cells_.size(); ++c) {
    Cell& cell = d.cells_[c];
    cell.first_group = d.group_.size();
    cell.groups = groups_of[c].size();
    d.group_.insert(d.group_.end(), groups_of[c].begin(), groups_of[c].end());
    for (double w : weights_of[c]) cell.candidates += static_cast<std::int64_t>(w);
    cell.group_draw = AliasTable(weights_of[c]);
  }
  return d;
}

void ClassDyadDraw::weigh(const std::vector<double>& weight) {
  std::vector<double> share(cells_.size());
  double total = 0.0;
  for (std::size_t c = 0; c < cells_.size(); ++c) {
    total += share[c] = weight[c] * static_cast<double>(cells_[c].pairs);
  }
  expected_tries_ = 0.0;
  for (std::size_t c = 0; c < cells_.size(); ++c) {
    expected_tries_ += share[c] / total * static_cast<double>(cells_[c].candidates) /
                       static_cast<double>(cells_[c].pairs);
  }
  cell_draw_ = AliasTable(share);
}

std::int64_t ClassDyadDraw::pattern_of(int i, int j) const {
  std::int64_t p = 0;
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    if (keys_[k][std::size_t(i - 1)] == keys_[k][std::size_t(j - 1)]) p |= std::int64_t{1} << k;
  }
  return p;
}

std::pair<int, int> ClassDyadDraw::draw(RandomStream& random) const {
  const Cell& cell = cells_[cell_draw_.draw(random)];
  for (;;) {
    const Group& g = group_[cell.first_group + cell.group_draw.draw(random)];
    const auto [a, b] = random.two_below(g.first_size, g.second_size);
    const int i = members_[g.first + a], j = members_[g.second + b];
    if (i != j && pattern_of(i, j) == cell.pattern) return {i, j};
  }
}

}  // namespace tarn
