// ergm's mixing matrix mm(attrs, levels, levels2=-1): one statistic per cell of the table of the
// links by (the sender's level of the row attribute, the receiver's level of the column
// attribute), named mm[group=a,group=b], the row level varying fastest and the first cell left
// out by default. attrs is an attribute (or ~a), the same for rows and columns, or a two-sided
// formula a~b; a dot on one side counts the margin of the other (a~. the senders' levels, .~b the
// receivers', named mm[group=a,.]). Undirected with one attribute on both sides the table is
// symmetric and keeps the cells with row level <= column level; otherwise every edge counts
// once each way (as i->j and as j->i).

#include <cctype>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/dyad_function_term.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

// One side of the table: the attribute's name ("." for a margin), its kept levels' names and
// every node's code, 1.. for a kept level and 0 otherwise (a margin's every node 0).
struct Side {
  std::string attribute;
  std::vector<std::string> levels;
  std::vector<int> code;
};

std::string attribute_name(const TermArguments& arguments, std::string_view text) {
  std::string name(text);
  if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
      name.back() == name.front()) {
    name = name.substr(1, name.size() - 2);
  }
  for (char c : name) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.')) {
      arguments.fail("attrs", "give attribute names (\"" + std::string(text) +
                                  "\" is no name; expressions of attributes are not offered)");
    }
  }
  return name;
}

Side side_of(const TermArguments& arguments, const TermContext& context, const std::string& name) {
  Side side;
  if (name == ".") {
    side.attribute = ".";
    side.levels = {"."};
    side.code.assign(std::size_t(context.node_count), 0);
    return side;
  }
  const AttributeColumn& column = attribute_named(arguments, context, "attrs", name);
  const Levels levels = levels_of(column, context.node_count);
  const std::vector<int> kept = kept_positions(arguments, "levels", levels.names, false);
  side.attribute = column.name;
  side.levels = kept_names(levels, kept);
  for (int code : kept_codes(levels, kept, true)) side.code.push_back(code + 1);
  return side;
}

TermPointer make_mm(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attrs", "levels", "levels2"});
  const ArgumentValue* attrs = arguments.find("attrs");
  if (attrs == nullptr) arguments.fail("attrs", "it is needed");
  std::string row_name, column_name;
  if (attrs->kind == ArgumentValue::Kind::formula) {
    column_name = attribute_name(arguments, attrs->rhs);
    row_name = attrs->lhs.empty() ? column_name : attribute_name(arguments, attrs->lhs);
  } else {
    row_name = column_name = arguments.text("attrs");
  }
  if (row_name == "." && column_name == ".") arguments.fail("attrs", "name an attribute");
  const Side row = side_of(arguments, context, row_name);
  const Side column = side_of(arguments, context, column_name);
  const bool symmetric = !context.directed && row_name == column_name;
  const bool both_ways = !context.directed && !symmetric;
  // The cells, the row level varying fastest; symmetric: row <= column.
  std::vector<std::pair<int, int>> cells;
  std::vector<std::string> cell_names;
  auto half = [](const Side& side, std::size_t k) {
    return side.attribute == "." ? std::string(".") : side.attribute + "=" + side.levels[k];
  };
  for (std::size_t b = 0; b < column.levels.size(); ++b) {
    for (std::size_t a = 0; a < row.levels.size(); ++a) {
      if (symmetric && a > b) continue;
      const int row_code = row.attribute == "." ? 0 : static_cast<int>(a) + 1;
      const int column_code = column.attribute == "." ? 0 : static_cast<int>(b) + 1;
      cells.emplace_back(row_code, column_code);
      cell_names.push_back("mm[" + half(row, a) + "," + half(column, b) + "]");
    }
  }
  const std::vector<int> kept = kept_positions(arguments, "levels2", cell_names, true);
  if (kept.empty()) arguments.fail("levels2", "it keeps no cell");
  std::vector<std::string> names;
  for (int k : kept) names.push_back(cell_names[std::size_t(k)]);
  // statistic[r + c * rows]: the statistic of the row code r and column code c, or -1.
  const int rows = static_cast<int>(row.levels.size()) + 1;
  const int columns = static_cast<int>(column.levels.size()) + 1;
  std::vector<int> statistic(std::size_t(rows * columns), -1);
  for (std::size_t s = 0; s < kept.size(); ++s) {
    const auto [r, c] = cells[std::size_t(kept[s])];
    statistic[std::size_t(r + c * rows)] = static_cast<int>(s);
  }
  const std::vector<int> row_code = row.code, column_code = column.code;
  auto change = [row_code, column_code, statistic, rows, symmetric, both_ways](int i, int j,
                                                                               double* out) {
    auto count = [&](int tail, int head) {
      int r = row_code[std::size_t(tail - 1)], c = column_code[std::size_t(head - 1)];
      if (symmetric && r > c) std::swap(r, c);
      if (const int s = statistic[std::size_t(r + c * rows)]; s >= 0) out[s] += 1.0;
    };
    count(i, j);
    if (both_ways) count(j, i);
  };
  NodeClassForm form;
  for (std::size_t i = 0; i < row_code.size(); ++i) {
    form.node_class.push_back(row_code[i] * columns + column_code[i]);
  }
  const std::string text =
      "mm(" + attrs->written + arguments.written_options({"levels", "levels2"}) + ")";
  return std::make_shared<DyadFunctionTerm>(text, std::move(names), change, std::move(form));
}

constexpr std::array<TermEntry, 1> entries = {{
    {"mm", "attrs, levels, levels2=-1",
     "links by the levels of their two ends, or the margins of that table", Networks::both, "",
     make_mm, make_valued_form},
}};

}  // namespace

std::span<const TermEntry> mixing_term_entries() {
  return entries;
}

}  // namespace tarn
