#include "input/attribute_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "input/console.h"
#include "store/fatal_error.h"

namespace tarn {
namespace {

struct Reading {
  Reading() : rec_ptr(std::make_unique<Records>()), rec(*rec_ptr) {}
  // Reads `text` as the attribute file of a network of n nodes, A values per record.
  void read(int n, int attributes, const std::string& text) {
    rec.nodes.node_count = static_cast<int16>(n);
    rec.nodes.attr_count = static_cast<int16>(attributes);
    DataFile file(std::make_unique<std::istringstream>(text), name_field("attr.dat"));
    read_attributes(rec, file);
  }
  std::unique_ptr<Records> rec_ptr;
  Records& rec;
};

const std::string format = "(9I10)\n";

TEST(AttributeFile, StoresValuesMaximaAndUsableCount) {
  Reading r;
  r.read(4, 2, format + "1,2,1\n2,1,3\n4,2,2\n");
  const Nodes& nodes = r.rec.nodes;
  EXPECT_EQ(nodes.attr_value(1, 1), 2);
  EXPECT_EQ(nodes.attr_value(1, 2), 1);
  EXPECT_EQ(nodes.attr_value(2, 2), 3);
  EXPECT_EQ(nodes.attr_value(3, 1), 0);  // no record
  EXPECT_EQ(nodes.attr_value(4, 2), 2);
  EXPECT_EQ(nodes.attr_max(1), 2);
  EXPECT_EQ(nodes.attr_max(2), 3);
  EXPECT_EQ(nodes.attr_count, 2);
}

TEST(AttributeFile, ColumnsFromFixedWidthFields) {
  Reading r;
  r.read(3, 2, "(I4,2I3)\n   1  2  1\n   3 12  4\n");
  EXPECT_EQ(r.rec.nodes.attr_value(3, 1), 12);
  EXPECT_EQ(r.rec.nodes.attr_max(2), 4);
}

TEST(AttributeFile, ZeroAttributesStoreNothing) {
  Reading r;
  r.read(2, 0, format + "1,5\n2,6\n");
  EXPECT_EQ(r.rec.nodes.attr_value(1, 1), 0);
  EXPECT_EQ(r.rec.nodes.attr_max(1), 0);
  EXPECT_EQ(r.rec.nodes.attr_count, 0);
}

TEST(AttributeFile, ANegativeAnswerStoresNothing) {
  Reading r;
  r.read(2, -2, format + "1,5\n2,6\n");
  EXPECT_EQ(r.rec.nodes.attr_value(1, 1), 0);
  EXPECT_EQ(r.rec.nodes.attr_max(1), 0);
  EXPECT_EQ(r.rec.nodes.attr_count, 0);
}

TEST(AttributeFile, ColumnsBeyondEightAreNotRead) {
  Reading r;
  r.read(1, 8, format + "1,1,1,1,1,1,1,1,1,7\n");
  EXPECT_EQ(r.rec.nodes.attr_max(8), 1);
  EXPECT_EQ(r.rec.nodes.attr_count, 8);
}

TEST(AttributeFile, OnlyTheFormatLine) {
  Reading r;
  r.read(3, 3, format);
  for (int a = 1; a <= 8; ++a) EXPECT_EQ(r.rec.nodes.attr_max(a), 0);
  EXPECT_EQ(r.rec.nodes.attr_count, 0);
}

TEST(AttributeFile, AnEmptyFileEndsTheRun) {
  Reading r;
  EXPECT_THROW(r.read(3, 2, ""), FatalError);
}

TEST(AttributeFile, ALaterRecordReplacesAnEarlierOne) {
  Reading r;
  r.read(5, 2, format + "5,1,4\n5,3,2\n");
  EXPECT_EQ(r.rec.nodes.attr_value(5, 1), 3);
  EXPECT_EQ(r.rec.nodes.attr_value(5, 2), 2);
  EXPECT_EQ(r.rec.nodes.attr_max(1), 3);
  EXPECT_EQ(r.rec.nodes.attr_max(2), 4);  // from the replaced record
}

TEST(AttributeFile, AnIdAboveNIsStoredInItsRowAndCounts) {
  Reading r;
  r.read(100, 1, format + "1,2\n150,6\n");
  EXPECT_EQ(r.rec.nodes.attr_value(150, 1), 6);
  EXPECT_EQ(r.rec.nodes.attr_max(1), 6);
}

TEST(AttributeFile, IdsOutsideTheStoreAreSkippedWhole) {
  Reading r;
  r.read(100, 1, format + "2500,9\n\n-3,8\n1,1\n2000,2\n2001,7\n");
  EXPECT_EQ(r.rec.nodes.attr_value(1, 1), 1);
  EXPECT_EQ(r.rec.nodes.attr_value(2000, 1), 2);
  EXPECT_EQ(r.rec.nodes.attr_max(1), 2);
}

TEST(AttributeFile, NegativeValuesAreStoredButDoNotRaiseTheMaximum) {
  Reading r;
  r.read(3, 1, format + "1,-4\n2,-1\n");
  EXPECT_EQ(r.rec.nodes.attr_value(1, 1), -4);
  EXPECT_EQ(r.rec.nodes.attr_max(1), 0);
  EXPECT_EQ(r.rec.nodes.attr_count, 0);
  r.read(3, 1, format + "1,-4\n3,2\n");
  EXPECT_EQ(r.rec.nodes.attr_max(1), 2);
  EXPECT_EQ(r.rec.nodes.attr_count, 1);
}

TEST(AttributeFile, CountingStopsAtTheFirstAttributeWithoutValues) {
  Reading r;
  r.read(2, 3, format + "1,1,0,2\n2,2,0,1\n");
  EXPECT_EQ(r.rec.nodes.attr_max(3), 2);
  EXPECT_EQ(r.rec.nodes.attr_count, 1);
}

TEST(AttributeFile, ResetsRowsOneToNAndEveryMaximum) {
  Reading r;
  r.rec.nodes.attr_value(2, 1) = 7;
  r.rec.nodes.attr_value(2, 5) = 7;
  r.rec.nodes.attr_value(5, 1) = 9;  // above n: kept
  r.rec.nodes.attr_max(4) = 3;
  r.read(3, 1, format + "1,1\n");
  EXPECT_EQ(r.rec.nodes.attr_value(2, 1), 0);
  EXPECT_EQ(r.rec.nodes.attr_value(2, 5), 0);
  EXPECT_EQ(r.rec.nodes.attr_value(5, 1), 9);
  EXPECT_EQ(r.rec.nodes.attr_max(4), 0);
  EXPECT_EQ(r.rec.nodes.attr_count, 1);
}

}  // namespace
}  // namespace tarn
