#include "network/attribute_file.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <sstream>

#include "network/file_name.h"

namespace tarn {
namespace {

// Reads `text` as an attribute file with A values per record.
NodeAttributes read(int attributes, const std::string& text) {
  DataFile file(std::make_unique<std::istringstream>(text), name_field("attr.dat"));
  return read_attribute_file(file, attributes);
}

TEST(AttributeFile, ValuesMaximaAndUsableCount) {
  struct AttrCase {
    int n, a;
    std::string body;                        // after the format line (9I10)
    std::vector<std::array<int, 3>> values;  // node, attribute, value
    std::vector<std::array<int, 2>> maxima;  // attribute, maximum
    int attr_count;
  };
  const AttrCase cases[] = {
      {4, 2, "1,2,1\n2,1,3\n4,2,2\n", {{1, 1, 2}, {2, 2, 3}, {3, 1, 0}}, {{1, 2}, {2, 3}}, 2},
      {2, 0, "1,5\n2,6\n", {{1, 1, 0}}, {{1, 0}}, 0},                         // A = 0
      {2, -2, "1,5\n2,6\n", {{1, 1, 0}}, {{1, 0}}, 0},                        // negative A
      {5, 2, "5,1,4\n5,3,2\n", {{5, 1, 3}, {5, 2, 2}}, {{1, 3}, {2, 4}}, 2},  // repeated id
      {100, 1, "1,2\n150,6\n", {{150, 1, 6}}, {{1, 6}}, 1},                   // id above n stored
      {3, 1, "1,-4\n2,-1\n", {{1, 1, -4}}, {{1, 0}}, 0},                      // negative values
      {3, 1, "1,-4\n3,2\n", {}, {{1, 2}}, 1},
      {2, 3, "1,1,0,2\n2,2,0,1\n", {}, {{3, 2}}, 1},     // attribute 2 all zero
      {1, 8, "1,1,1,1,1,1,1,1,1,7\n", {}, {{8, 1}}, 8},  // columns past 8 unread
      {3, 3, "", {}, {{1, 0}, {2, 0}, {3, 0}}, 0},       // only the format line
  };
  for (const AttrCase& c : cases) {
    const NodeAttributes read_in = read(c.a, "(9I10)\n" + c.body);
    for (auto [node, attr, value] : c.values)
      EXPECT_EQ(read_in.of(node, attr), value) << c.body << node;
    for (auto [attr, max] : c.maxima) EXPECT_EQ(read_in.largest[attr - 1u], max) << c.body;
    EXPECT_EQ(read_in.usable_count, c.attr_count) << c.body;
  }
}

TEST(AttributeFile, FixedWidthFieldsAndIdsOutsideTheRows) {
  const NodeAttributes read_in = read(2, "(I5,2I3)\n    1  2  1\n    3 12  4\n 2001  9  9\n\n");
  EXPECT_EQ(read_in.of(3, 1), 12);
  EXPECT_EQ(read_in.largest[1], 4);  // id 2001 and the empty line (id 0) are skipped
  EXPECT_EQ(read_in.largest[0], 12);
}

}  // namespace
}  // namespace tarn
