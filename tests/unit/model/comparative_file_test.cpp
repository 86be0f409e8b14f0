#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "unit/model/model_session.h"

namespace tarn::testing {
namespace {

std::string file_text(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string ask_name = "\n Enter name of comparative file: ";

TEST(ComparativeFile, AMissingFileIsAskedAgainUntilOneExists) {
  WorkFolder folder;
  std::ofstream("compar.dat") << "(3I5)\n    1    2    1\n";
  Session s("2\n16 1\nmissing.dat\n\ncompar.dat\n");
  s.io.output_file = std::make_unique<std::ofstream>("out.txt");
  s.run();
  EXPECT_EQ(s.screen(), menu_text + "\n How many global parameters? " +
                            " Enter parameter numbers: " + ask_name +
                            " missing.dat              does not exist\n" + ask_name + " " +
                            std::string(24, ' ') + " does not exist\n" + ask_name);
  ASSERT_TRUE(s.io.comparative);
  EXPECT_EQ(s.io.comparative->name(), "compar.dat              ");
  EXPECT_EQ(s.types_on(), (std::vector<int>{16}));
  EXPECT_EQ(s.columns(), (std::vector<int>{16, 1}));
  s.io.output_file->close();
  EXPECT_EQ(file_text("out.txt"), " Comparative file: compar.dat              \n");
}

TEST(ComparativeFile, TheNextCallClosesItAndOpensItOnlyWhenChosenAgain) {
  WorkFolder folder;
  std::ofstream("c.dat") << "(3I5)\n    1    2    1\n";
  Session s("1\n16\nc.dat\n1\n1\n1\n16\nc.dat\n");
  s.io.output_file = std::make_unique<std::ofstream>("out.txt");
  s.run();
  ASSERT_TRUE(s.io.comparative);
  s.run();
  EXPECT_FALSE(s.io.comparative);
  EXPECT_EQ(s.rec.flags.type_on(16), 0);
  s.run();
  EXPECT_TRUE(s.io.comparative);
  s.io.output_file->close();
  const std::string line = " Comparative file: c.dat                   \n";
  EXPECT_EQ(file_text("out.txt"), line + line);
}

TEST(ComparativeFile, ClosedAtTheStartWhenTheLastModelHadIt) {
  Session s("1\n2\n");
  s.rec.flags.type_on(16) = 1;
  s.io.comparative =
      std::make_unique<DataFile>(std::make_unique<std::istringstream>("(3I5)\n"), "c.dat");
  s.run();
  EXPECT_FALSE(s.io.comparative);
  EXPECT_EQ(s.rec.flags.type_on(16), 0);
}

}  // namespace
}  // namespace tarn::testing
