// The classic model through the public API: data read from record-format text, the model's
// columns, a fit and its report, and the errors the front ends word.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tarnwick/classic/data.h"
#include "tarnwick/classic/fit.h"
#include "tarnwick/classic/model.h"
#include "tarnwick/classic/report.h"

namespace {

tarnwick::ClassicFile text_file(const std::string& text, const std::string& name) {
  return tarnwick::ClassicFile(std::make_unique<std::istringstream>(text),
                               tarnwick::classic_name_field(name));
}

// The worked example: 18 links among 10 nodes in a chain, both ways.
std::vector<std::pair<int, int>> chain() {
  std::vector<std::pair<int, int>> links = {{1, 2}};
  for (int i = 2; i <= 9; ++i) links.push_back({i, i - 1}), links.push_back({i, i + 1});
  links.push_back({10, 9});
  return links;
}

TEST(Classic, ANetworkFileReadInTwoStages) {
  tarnwick::ClassicFile file = text_file("(3I3)\n  1  2  1\n  2  1  1\n  2  3  1\n", "net.dat");
  EXPECT_EQ(file.name(), "net.dat                 ");
  int stages = 0;
  const tarnwick::ClassicNetwork network =
      tarnwick::read_classic_network(file, [&stages] { ++stages; });
  EXPECT_EQ(stages, 2);
  EXPECT_EQ(network.node_count(), 3);
  EXPECT_EQ(network.link_count(), 3);
}

TEST(Classic, BadInputCrossesAsInputErrorWithItsMessageAndPlace) {
  tarnwick::ClassicFile file = text_file("(3I3)\n  1  x  1\n", "net.dat");
  try {
    tarnwick::read_classic_network(file);
    FAIL() << "no error";
  } catch (const tarnwick::InputError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Input error in \"net.dat\", line 2", 0), 0u) << e.what();
    EXPECT_EQ(e.line, 2);
  }
  EXPECT_THROW(tarnwick::ClassicFile::open(tarnwick::classic_name_field("/dev/null")),
               tarnwick::InputError);
}

TEST(Classic, AttributesFromValuesAndTheNodesInNoBlock) {
  const tarnwick::ClassicAttributes attributes =
      tarnwick::classic_attributes_of({{1, 2, 0, 3}, {0, 0, 0, 0}});
  EXPECT_EQ(attributes.usable_count(), 1);
  EXPECT_EQ(attributes.largest(1), 3);
  EXPECT_EQ(attributes.value(4, 1), 3);
  tarnwick::ClassicBlocking blocking = tarnwick::ClassicBlocking::identity(1, 2);
  EXPECT_EQ(blocking.block_type_count, 1);
  blocking.type_of(1, 2) = 5;
  blocking.count_block_types();
  EXPECT_EQ(blocking.block_type_count, 5);
  EXPECT_EQ(tarnwick::classic_unblocked_nodes(blocking, attributes, 4), 2);  // values 0 and 3
  EXPECT_EQ(tarnwick::classic_unblocked_nodes_sentence(2, 2),
            "2 nodes have no valid block (value outside 1 to 2); their dyads belong to no block "
            "type.");
}

TEST(Classic, TheModelsColumnsAndRefusals) {
  const tarnwick::ClassicModel model = tarnwick::classic_model({{2, {}}, {3, {2, 1}}}, 2);
  ASSERT_EQ(model.parameter_count(), 3);
  EXPECT_EQ(model.parameters()[0].column, 2);
  EXPECT_EQ(model.parameters()[1].column, tarnwick::classic_group_column(1, 2) + 2);
  EXPECT_EQ(model.parameters()[2].block_type, 1);
  EXPECT_TRUE(model.has_block_parameter());
  EXPECT_FALSE(model.uses_comparative());
  EXPECT_EQ(model.terms(), "mutual,out2star@2,out2star@1");
  EXPECT_THROW(tarnwick::classic_model({{16, {1}}}, 1), tarnwick::ModelError);
  EXPECT_THROW(tarnwick::classic_model({{17, {}}}, 0), tarnwick::ModelError);
}

TEST(Classic, AFitItsPassesAndItsReport) {
  tarnwick::ClassicStudy study;
  study.network = tarnwick::classic_network_of_links(chain());
  study.model = tarnwick::classic_model({{1, {}}}, 0);
  std::vector<int> passes;
  const tarnwick::ClassicFit fit =
      tarnwick::fit_classic(study, [&passes](int pass) { passes.push_back(pass); });
  ASSERT_EQ(fit.end, tarnwick::ClassicFitEnd::completed);
  EXPECT_EQ(passes.front(), 1);
  EXPECT_EQ(passes.back(), tarnwick::classic_final_pass);
  ASSERT_EQ(fit.estimates.size(), 1u);
  EXPECT_NEAR(-2.0 * fit.log_likelihood, 90.072, 5e-4);
  const tarnwick::ClassicReport report = tarnwick::classic_report(fit);
  EXPECT_EQ(report.screen.rfind("\n -2 Log Likelihood =               90.072\n", 0), 0u);
  EXPECT_NE(report.file.find(" Parameters:   1\n"), std::string::npos);
  EXPECT_EQ(report.file.substr(report.file.size() - 2), "\f\n");
  EXPECT_EQ(tarnwick::classic_input_file_line(tarnwick::ClassicInputRole::network, "net.dat"),
            " Network file:   net.dat                 \n");
}

TEST(Classic, AFitWithoutWhatItsModelReadsIsRefused) {
  tarnwick::ClassicStudy study;
  study.network = tarnwick::classic_network_of_links(chain());
  study.model = tarnwick::classic_model({{16, {}}}, 0);
  EXPECT_THROW(tarnwick::fit_classic(study), tarnwick::ArgumentError);
  tarnwick::ClassicFit failed;
  failed.end = tarnwick::ClassicFitEnd::dependent;
  EXPECT_THROW(tarnwick::classic_report(failed), tarnwick::ArgumentError);
}

}  // namespace
