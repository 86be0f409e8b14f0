#include "terms/level_match.h"

#include "terms/attribute_levels.h"

namespace tarn {

AttributeMatch attribute_match(const TermArguments& arguments, const TermContext& context,
                               std::string_view argument, const std::string& stem,
                               const std::string& diff_stem, bool by_level) {
  const AttributeColumn& column = attribute_of(arguments, context, argument);
  const Levels levels = levels_of(column, context.node_count);
  const bool given_diff = !by_level && arguments.logical("diff", false);
  const bool diff = by_level || given_diff;
  const std::vector<int> kept =
      apply_keep(arguments, kept_positions(arguments, "levels", levels.names, false));
  std::vector<std::string> names;
  if (diff) {
    for (const std::string& level : kept_names(levels, kept)) {
      names.push_back(diff_stem + "." + column.name + "." + level);
    }
  } else {
    names.push_back(stem + "." + column.name);
  }
  return {
      LevelMatch(kept_codes(levels, kept, true), diff), column.name, std::move(names),
      std::string(given_diff ? ", diff=TRUE" : "") + arguments.written_options({"keep", "levels"})};
}

}  // namespace tarn
