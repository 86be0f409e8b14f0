#include "simulate/class_dyad_draw.h"

#include <algorithm>
#include <numeric>

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

struct ClassRun {  // the members of one class within one group, at members_[first]
  int group = 0, of_class = 0;
  std::uint32_t first = 0, size = 0;
};

// The runs of `nodes` (sorted by group and class) that share a group and a class; `base` is the
// place of the first node in members_.
std::vector<ClassRun> class_runs(const std::vector<int>& nodes, const std::vector<int>& group,
                                 const std::vector<int>& of_class, std::uint32_t base) {
  std::vector<ClassRun> runs;
  for (std::size_t at = 0; at < nodes.size(); ++at) {
    const auto node = std::size_t(nodes[at] - 1);
    if (runs.empty() || runs.back().group != group[node] ||
        runs.back().of_class != of_class[node]) {
      runs.push_back({group[node], of_class[node], base + std::uint32_t(at), 0});
    }
    ++runs.back().size;
  }
  return runs;
}

}  // namespace

std::optional<ClassDyadDraw> ClassDyadDraw::of(const Study& study) {
  if (study.include_diagonal) return std::nullopt;
  const int n = study.node_count();
  ClassDyadDraw d;
  d.forms_ = std::make_shared<const Forms>(forms_of(study.model, FormsOf::dyad_independent_terms));
  const Forms& forms = *d.forms_;
  if (forms.without != nullptr) return std::nullopt;
  for (const NodeClassForm& form : forms.of_term) {
    if (!form.touched.empty()) return std::nullopt;
  }
  const NodeClasses classes = node_classes(forms, n);
  d.match_ = match_keys(forms);
  const MatchKeys& match = d.match_;
  const std::int64_t c2 = std::int64_t{classes.count} * classes.count;
  const std::int64_t patterns = std::int64_t{1} << match.count();
  if (match.count() > most_match_keys ||
      c2 * patterns > std::min(largest_class_table, most_cell_entries))
    return std::nullopt;
  const ClassPairTable table(classes, match, n);

  // The cells: every (pattern, class, class) that holds pairs.
  std::vector<int> cell_of(static_cast<std::size_t>(c2 * patterns), -1);
  std::vector<bool> pattern_used(static_cast<std::size_t>(patterns), false);
  for (std::int64_t p = 0; p < patterns; ++p) {
    for (int a = 0; a < classes.count; ++a) {
      for (int b = 0; b < classes.count; ++b) {
        const std::int64_t pairs = table.cell(p, a, b);
        if (pairs == 0) continue;
        cell_of[std::size_t(p * c2 + std::int64_t{a} * classes.count + b)] = int(d.cells_.size());
        d.cells_.push_back(
            {untouched_changes(study.model, match, classes.representative[std::size_t(a)],
                               classes.representative[std::size_t(b)], p,
                               FormsOf::dyad_independent_terms),
             pairs});
        d.cell_groups_.push_back({p, 0, 0, {}});
        pattern_used[std::size_t(p)] = true;
      }
    }
  }

  // Each cell's groups: the groups of nodes that agree on its keys, with the members of its two
  // classes in each, weighted by their ordered pairs.
  std::vector<std::vector<Group>> groups_of(d.cells_.size());
  std::vector<std::vector<double>> weights_of(d.cells_.size());
  std::int64_t entries = 0;
  for (std::int64_t p = 0; p < patterns; ++p) {
    if (!pattern_used[std::size_t(p)]) continue;
    entries += n;
    if (entries > most_cell_entries) return std::nullopt;
    int group_count = 1;
    const std::vector<int> group = groups_by_keys(match, p, n, group_count);
    const std::vector<int> nodes = nodes_by_group(group, classes.of_node);
    const std::vector<ClassRun> runs =
        class_runs(nodes, group, classes.of_node, static_cast<std::uint32_t>(d.members_.size()));
    d.members_.insert(d.members_.end(), nodes.begin(), nodes.end());
    for (std::size_t start = 0, end = 0; start < runs.size(); start = end) {
      while (end < runs.size() && runs[end].group == runs[start].group) ++end;
      for (std::size_t x = start; x < end; ++x) {
        for (std::size_t y = start; y < end; ++y) {
          const ClassRun &first = runs[x], &second = runs[y];
          const int c = cell_of[std::size_t(p * c2 + std::int64_t{first.of_class} * classes.count +
                                            second.of_class)];
          const std::int64_t pairs =
              std::int64_t{first.size} * second.size - (x == y ? first.size : 0);
          if (c < 0 || pairs == 0) continue;
          if (++entries > most_cell_entries) return std::nullopt;
          groups_of[std::size_t(c)].push_back({first.first, first.size, second.first, second.size});
          weights_of[std::size_t(c)].push_back(static_cast<double>(pairs));
        }
      }
    }
  }
  for (std::size_t c = 0; c < d.cells_.size(); ++c) {
    CellGroups& cell = d.cell_groups_[c];
    cell.first_group = d.group_.size();
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
    expected_tries_ += share[c] / total * static_cast<double>(cell_groups_[c].candidates) /
                       static_cast<double>(cells_[c].pairs);
  }
  cell_draw_ = AliasTable(share);
}

std::pair<int, int> ClassDyadDraw::draw(RandomStream& random) const {
  const CellGroups& cell = cell_groups_[cell_draw_.draw(random)];
  for (;;) {
    const Group& g = group_[cell.first_group + cell.group_draw.draw(random)];
    const auto [a, b] = random.two_below(g.first_size, g.second_size);
    const int i = members_[g.first + a], j = members_[g.second + b];
    if (i != j && agreement_pattern(match_, i, j) == cell.pattern) return {i, j};
  }
}

}  // namespace tarn
