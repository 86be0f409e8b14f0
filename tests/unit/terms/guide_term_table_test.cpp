// The user guide's tables of terms (sections 11.2 and 18.3) and the term table hold the same terms: every
// entry of the table is documented, and every name the guide documents is an entry.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/repository.h"
#include "terms/term_table.h"

namespace tarn {
namespace {

// The cells of a Markdown table row, without the outer bars.
std::vector<std::string> cells_of(const std::string& row) {
  std::vector<std::string> cells;
  std::string cell;
  for (std::size_t k = 1; k < row.size(); ++k) {
    if (row[k] == '|' && row[k - 1] != '\\') {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += row[k];
    }
  }
  return cells;
}

// The term names in a cell: each `name` or `name(args)` in backquotes, its name the leading
// letters, digits, underscores and dots (degree1.5), beginning with a letter (F, Sum).
void add_names(const std::string& cell, std::set<std::string>& names) {
  for (std::size_t open = cell.find('`'); open != std::string::npos;) {
    const std::size_t close = cell.find('`', open + 1);
    if (close == std::string::npos) break;
    std::size_t end = open + 1;
    while (end < close && (std::isalnum(static_cast<unsigned char>(cell[end])) ||
                           cell[end] == '_' || cell[end] == '.')) {
      ++end;
    }
    if (end > open + 1 && std::isalpha(static_cast<unsigned char>(cell[open + 1]))) {
      names.insert(cell.substr(open + 1, end - open - 1));
    }
    open = cell.find('`', close + 1);
  }
}

// The names in the term columns of the tables of sections 11.2 and 18.3 (valued terms): "name" and "ergm" of the
// configuration types, "term" of the others (a table of another header, such as what is not
// offered, has none).
std::set<std::string> documented_terms() {
  std::ifstream guide(test::repository_file("docs/user_guide.md"));
  std::string line, header;
  bool in_section = false;
  std::vector<std::size_t> term_columns;
  std::set<std::string> names;
  while (std::getline(guide, line)) {
    if (line.rfind("### ", 0) == 0) {
      in_section = line.rfind("### 11.2 ", 0) == 0 || line.rfind("### 18.3 ", 0) == 0;
    }
    if (!in_section || line.rfind("|", 0) != 0) {
      header.clear();
      continue;
    }
    if (line.rfind("|---", 0) == 0) {  // the row before is the header
      const std::vector<std::string> cells = cells_of(header);
      term_columns.clear();
      const bool of_terms = !cells.empty() && (cells[0] == " type " || cells[0] == " term ");
      for (std::size_t c = 0; of_terms && c < cells.size(); ++c) {
        if (cells[c] == " name " || cells[c] == " ergm " || cells[c] == " term ") {
          term_columns.push_back(c);
        }
      }
      continue;
    }
    if (header.empty()) {
      header = line;
      continue;
    }
    const std::vector<std::string> cells = cells_of(line);
    for (const std::size_t c : term_columns) {
      if (c < cells.size()) add_names(cells[c], names);
    }
  }
  return names;
}

TEST(GuideTermTable, TheGuideDocumentsEveryTermOfTheTableAndNoOther) {
  const std::set<std::string> documented = documented_terms();
  ASSERT_GT(documented.size(), 40u);  // the tables were found
  std::set<std::string> entries;
  for (const TermEntry* entry : term_table()) entries.insert(std::string(entry->name));
  for (const std::string& name : entries) {
    EXPECT_TRUE(documented.count(name)) << name << " is in the term table but not in the guide";
  }
  for (const std::string& name : documented) {
    EXPECT_NE(find_term_entry(name), nullptr) << name << " is in the guide but not in the table";
  }
}

}  // namespace
}  // namespace tarn
