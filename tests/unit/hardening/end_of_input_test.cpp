// The end of the keyboard input at every prompt of the program ends the run with one message and
// status 1, and the output file keeps everything written to it before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/hardening/whole_run.h"

namespace tarn {
namespace {

using test::Files;
using test::RunResult;

// One answer per prompt, visiting every kind of prompt the program has: the file dialogue with
// its refusals and warning, blocking by hand, the global and group dialogues with their block
// numbers, the comparative file, the same-files and same-blocking questions, and the short
// dialogue of a default structure.
const std::vector<std::string> answers = {
    "missing.dat",  // network file: does not exist
    "net.dat",      // network file
    "y",            // include diagonal
    "y",            // block parameters
    "nothere.dat",  // attribute file: does not exist
    "attr.dat",     // attribute file
    "2",            // number of attributes
    "net.dat",      // output file: an input file, refused
    "old.out",      // output file: exists
    "n",            // ... not to be lost: asked again
    "old.out",      // output file
    "y",            // ... may be lost
    "1",            // blocking attribute
    "n",            // default structure declined
    "17 0",         // row 1: refused
    "1 2",          // row 1
    "0 1",          // row 2
    "2",            // global parameters: count
    "1 16",         // ... numbers
    "3 1",          // group: type 3, one block type
    "2",            // ... its block type
    "0 0",          // end of the groups
    "nocomp.dat",   // comparative file: does not exist
    "comp.dat",     // comparative file
    "y",            // continue
    "y",            // same files
    "y",            // same blocking
    "1",            // global parameters: count
    "2",            // ... numbers
    "0 0",          // no group
    "y",            // continue
    "n",            // new files
    "net.dat",      // network file
    "n",            // diagonal
    "y",            // block parameters
    "attr.dat",     // attribute file
    "2",            // number of attributes
    "new.out",      // output file
    "n",            // same blocking: no
    "1",            // blocking attribute
    "y",            // default structure accepted
    "2",            // short dialogue: count
    "1 103",        // ... numbers
    "n",            // continue: no, the end
};
constexpr std::size_t first_continue = 24;

std::string first_lines(std::size_t count) {
  std::string text;
  for (std::size_t k = 0; k < count; ++k) text += answers[k] + "\n";
  return text;
}

Files data_with_old_output() {
  Files files = test::small_data();
  files["old.out"] = "old contents\n";
  return files;
}

const RunResult& full_run() {
  static const RunResult result = test::run_in_folder(data_with_old_output(), first_lines(answers.size()));
  return result;
}

TEST(EndOfInput, TheWholeScriptRunsToItsEnd) {
  const RunResult& full = full_run();
  ASSERT_EQ(full.status, 0) << full.screen;
  // Three reports: two in the first output file, one in the second.
  EXPECT_NE(full.files.at("old.out").find("\f\n"), full.files.at("old.out").rfind("\f\n"));
  EXPECT_NE(full.files.at("new.out").find("\f\n"), std::string::npos);
  EXPECT_EQ(full.screen.find("End of input"), std::string::npos);
}

TEST(EndOfInput, AtEveryPromptOneMessageAndStatusOne) {
  const RunResult& full = full_run();
  for (std::size_t k = 0; k < answers.size(); ++k) {
    SCOPED_TRACE("input ends before answer " + std::to_string(k + 1) + " (" + answers[k] + ")");
    const RunResult cut = test::run_in_folder(data_with_old_output(), first_lines(k));
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.last_line(), " End of input: no answer was given, the run ends.");
    // Everything shown before is what the whole run showed at that point.
    const std::string shown = cut.screen.substr(0, cut.screen.rfind("\n End of input"));
    EXPECT_EQ(full.screen.compare(0, shown.size(), shown), 0);
    // Every output file holds a beginning of what the whole run wrote to it, in whole lines,
    // or its old contents when the run had not reached it.
    for (const char* name : {"old.out", "new.out"}) {
      const auto found = cut.files.find(name);
      if (found == cut.files.end()) continue;
      const std::string& text = found->second;
      if (text == "old contents\n") continue;
      EXPECT_EQ(full.files.at(name).compare(0, text.size(), text), 0) << name;
      if (!text.empty()) {
        EXPECT_EQ(text.back(), '\n') << name;
      }
    }
    if (k >= first_continue) {
      // The first report is complete in the file, closed by its form-feed line.
      const std::string& text = cut.files.at("old.out");
      EXPECT_NE(text.find("\f\n"), std::string::npos);
    }
  }
}

// An answer typed without a line end just before the end of the input is still an answer.
TEST(EndOfInput, ALastAnswerWithoutLineEndCounts) {
  for (std::size_t k : {std::size_t{0}, std::size_t{6}, first_continue, answers.size() - 1}) {
    const RunResult with_end = test::run_in_folder(data_with_old_output(), first_lines(k + 1));
    const RunResult without_end =
        test::run_in_folder(data_with_old_output(), first_lines(k) + answers[k]);
    EXPECT_EQ(without_end.status, with_end.status) << k;
    EXPECT_EQ(without_end.screen, with_end.screen) << k;
    EXPECT_EQ(without_end.files, with_end.files) << k;
  }
}

}  // namespace
}  // namespace tarn
