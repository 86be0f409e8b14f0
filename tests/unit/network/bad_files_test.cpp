// Bad input in the files people have: every refusal names the file and the line.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "network/attribute_table.h"
#include "network/block_structure_file.h"
#include "network/covariate_list.h"
#include "network/edge_list_file.h"
#include "network/fatal_error.h"
#include "network/pajek_file.h"

namespace tarn {
namespace {

using Reader = std::function<void(std::istream&, const std::string&)>;

Reader edge_list(NetworkFormat format, EdgeListOptions options = {}) {
  return [format, options](std::istream& in, const std::string& name) {
    read_edge_list(in, name, format, options);
  };
}

Reader csv_with_columns(std::vector<std::string> columns) {
  EdgeListOptions options;
  options.columns = std::move(columns);
  return edge_list(NetworkFormat::csv, options);
}

void pajek(std::istream& in, const std::string& name) {
  read_pajek(in, name);
}

void attributes(std::istream& in, const std::string& name) {
  read_attribute_table(in, name, NetworkFormat::csv, NodeLabels(), 3);
}

void blocks(std::istream& in, const std::string& name) {
  read_block_structure(in, name, 3);
}

void covariates(std::istream& in, const std::string& name) {
  read_covariate_list(in, name, NetworkFormat::csv, NodeLabels({"a", "b", "c"}), 3);
}

std::string rows(int count, const std::function<std::string(int)>& row) {
  std::string text;
  for (int k = 1; k <= count; ++k) text += row(k);
  return text;
}

TEST(BadFiles, MessagesNameTheFileAndTheLine) {
  const NetworkFormat csv = NetworkFormat::csv;
  const struct {
    const char* what;
    Reader read;
    std::string text;
    std::string place;  // after the quoted file name
    const char* says;
  } cases[] = {
      {"unclosed quote", edge_list(csv), "1,2\n3,\"4\n5,6\n", ", line 2:", "no closing quote"},
      {"ragged row", edge_list(csv), "1,2\n3,4,1\n", ", line 2:", "ragged"},
      {"ragged header", edge_list(csv), "from,to,w\n3,4\n", ", line 2:", "ragged"},
      {"a row of one field", edge_list(NetworkFormat::blank), "# x\n1\n",
       ", line 2:", "2 (sender, receiver) or 3"},
      {"value not a number", edge_list(csv), "1,2,1\n2,1,nan\n",
       ", line 2, column 3:", "\"nan\" is not a number"},
      {"value of a placed column", edge_list(csv), "weight,from,to\n1,a,b\n-2,b,a\n",
       ", line 3, column 1:", "negative"},
      {"an unknown header of three columns", edge_list(csv), "a,b,c\n1,2,3\n",
       ", line 1:", "give them with --columns"},
      {"four fields without a header", edge_list(csv), "1,2,3,4\n",
       ", line 1:", "give a header or --columns"},
      {"--columns naming no column", csv_with_columns({"from", "to"}), "a,b,c\nx,y,z\n",
       ", line 1:", "--columns names \"from\", which is no column of the header \"a,b,c\""},
      {"--columns past the last column", csv_with_columns({"1", "4"}), "1,2,3\n",
       ", line 1:", "--columns 4: the rows have 3 columns"},
      {"--columns by name, --header no", edge_list(csv, {HeaderRule::absent, {"a", "b"}, 0}),
       "a,b\n", ", line 1:", "--header no"},
      {"a node above --nodes", edge_list(csv, {HeaderRule::detect, {}, 3}), "1,2\n2,5\n",
       ", line 2, column 2:", "\"5\" is no node number within 1..3 (--nodes 3)"},
      {"a name with --nodes", edge_list(csv, {HeaderRule::detect, {}, 3}), "1,2\nb,1\n",
       ", line 2, column 1:", "(--nodes 3)"},
      {"negative value", edge_list(csv), "1,2,1\r\n1,3,-1\r\n", ", line 2, column 3:", "negative"},
      {"empty file", edge_list(csv), "", ", line 1:", "empty"},
      {"blank lines only", edge_list(csv), "\n \n\r\n", ", line 3:", "empty"},
      {"header only", edge_list(csv), "\n\nsource,target\n",
       ", line 3:", "header line and no link"},
      {"empty label", edge_list(csv), "1,2\n,3\n", ", line 2, column 1:", "sender is empty"},
      {"empty quoted label", edge_list(csv), "a,b\nc,\"\"\n",
       ", line 2, column 2:", "receiver is empty"},
      {"2001 nodes", edge_list(csv),
       rows(1001,
            [](int k) {
              return "n" + std::to_string(2 * k - 1) + ",n" + std::to_string(2 * k) + "\n";
            }),
       ", line 1001, column 1:", "Too many nodes!"},
      {"500001 links", edge_list(csv),
       rows(500001,
            [](int k) {
              return std::to_string(1 + k % 2000) + "," + std::to_string(1 + k / 2000 % 2000) +
                     "\n";
            }),
       ", line 500001:", "Too many links!"},
      {"32768 links out of one node", edge_list(csv), rows(32768, [](int) { return "1,2\n"; }),
       ", line 32768:", "more than 32767 links"},
      {"Pajek arc to an undeclared vertex", pajek, "*Vertices 3\n*Arcs\n1 2\n1 4\n",
       ", line 4, column 2:", "vertex 4 is not declared"},
      {"Pajek arcs list to vertex 0", pajek, "*Vertices 3\n*Arcslist\n1 2 0\n",
       ", line 3, column 3:", "vertex 0 is not declared"},
      {"unknown Pajek section", pajek, "*Vertices 2\n*Matrix\n0 1\n1 0\n",
       ", line 2, column 1:", "unknown section \"*Matrix\""},
      {"Pajek arcs before vertices", pajek, "%\n*Arcs\n1 2\n",
       ", line 2, column 1:", "comes before the *Vertices line"},
      {"Pajek without vertices", pajek, "% nothing\n", ", line 1:", "no *Vertices line"},
      {"Pajek vertices twice", pajek, "*Vertices 2\n*Vertices 2\n",
       ", line 2, column 1:", "second *Vertices"},
      {"Pajek 2001 vertices", pajek, "*Vertices 2001\n", ", line 1, column 2:", "Too many nodes!"},
      {"Pajek vertex count missing", pajek, "*Vertices\n",
       ", line 1, column 2:", "number of vertices"},
      {"Pajek weight not a number", pajek, "*Vertices 2\n*Edges\n1 2 heavy\n",
       ", line 3, column 3:", "\"heavy\" is not a number"},
      {"Pajek negative weight", pajek, "*Vertices 2\n*Arcs\n1 2 -2\n",
       ", line 3, column 3:", "negative"},
      {"Pajek vertex described twice", pajek, "*Vertices 2\n1 a\n1 b\n",
       ", line 3, column 1:", "first on line 2"},
      {"Pajek label quote open at the line end", pajek, "*Vertices 2\n1 \"a\n2 b\n",
       ", line 2:", "no closing quote on the line"},
      {"attribute table with a duplicate id", attributes, "id,level\n1,2\n2,3\n1,4\n",
       ", line 4, column 1:", "given twice, on lines 2 and 4"},
      {"attribute table: duplicate id outside the network", attributes, "id,a\n9,1\n9,1\n",
       ", line 3, column 1:", "given twice"},
      {"attribute table with 9 attributes", attributes, "id,1,2,3,4,5,6,7,8,9\n",
       ", line 1, column 10:", "at most 8"},
      {"attribute table empty", attributes, "", ", line 1:", "header line"},
      {"attribute table ragged", attributes, "id,a,b\n1,2\n", ", line 2:", "ragged"},
      {"attribute table empty id", attributes, "id,a\n\"\",2\n",
       ", line 2, column 1:", "id is empty"},
      {"block structure: value 17", blocks, "1 2 3\n4 17 6\n7 8 9\n",
       ", line 2, column 2:", "17 is outside 0..16"},
      {"block structure: not a number", blocks, "1 2 3\n# x\n4 x 6\n7 8 9\n",
       ", line 3, column 2:", "\"x\" is not a whole number"},
      {"block structure: a row short", blocks, "1 2 3\n4 5\n7 8 9\n",
       ", line 2, column 3:", "the row has 2 number(s)"},
      {"block structure: a row long", blocks, "1 2 3 4\n",
       ", line 1, column 4:", "the row has 4 number(s)"},
      {"block structure: a row too many", blocks, "1 2 3\n4 5 6\n7 8 9\n\n1 1 1\n",
       ", line 5, column 1:", "a row too many"},
      {"block structure: rows missing", blocks, "1 2 3\n4 5 6\n",
       ", line 3, column 1:", "ends after 2 row(s)"},
      {"block structure: empty", blocks, "", ", line 1, column 1:", "ends after 0 row(s)"},
      {"covariate naming no node", covariates, "a,b,1\nb,d,2\n",
       ", line 2, column 2:", "\"d\" is no node of the network"},
      {"covariate value past 16 bits", covariates, "a,b,40000\n",
       ", line 1, column 3:", "outside -32768..32767"},
      {"covariate value not a number", covariates, "a,b,1\nb,c,y\n",
       ", line 2, column 3:", "the value \"y\" is not a number"},
      {"covariate value not a whole number", covariates, "a,b,1\nb,c,2.5\n",
       ", line 2, column 3:", "the value \"2.5\" is not a whole number"},
      {"covariate without a value", covariates, "a,b,0\n", ", line 1:", "no pair with a non-zero"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    try {
      c.read(in, "bad.txt");
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const FatalError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("Input error in \"bad.txt\"" + c.place, 0), 0u)
          << c.what << ": " << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << c.what << ": " << message;
    }
  }
}

}  // namespace
}  // namespace tarn
