// The end of the keyboard input at every prompt, over-long answers, and files that cannot be
// opened: each ends the run with one message, and the output file keeps what was written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/console.h"
#include "dialogue/main_loop.h"
#include "support/temporary_folder.h"
#include "tarnwick/classic/data.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

struct RunResult {
  int status = 0;
  std::string screen;
  Files files;  // every file in the folder after the run
};

RunResult run_in_folder(const Files& files, const std::string& answers) {
  const test::TemporaryFolder dir(true);
  for (const auto& [name, text] : files) std::ofstream(dir.path() / name) << text;
  RunResult r;
  std::istringstream in(answers);
  std::ostringstream out;
  r.status = run_dialogue(in, out);
  r.screen = out.str();
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    std::ostringstream text;
    text << std::ifstream(entry.path()).rdbuf();
    r.files[entry.path().filename().string()] = text.str();
  }
  return r;
}

const Files data = {
    {"net.dat",
     "(2I5,I3)\n    1    2  1\n    1    3  1\n    2    1  1\n    2    4  1\n    3    1  1\n"
     "    3    4  1\n    4    2  1\n    5    1  1\n    5    4  1\n"},
    {"attr.dat", "(I5,2I3)\n    1  1  2\n    2  1  1\n    3  2  2\n    4  2  1\n    5  1  2\n"},
    {"comp.dat", "(3I4)\n   1   2   1\n   2   1   3\n   4   5  -2\n   5   1   1\n"},
    {"old.out", "old contents\n"}};

// One answer per prompt, visiting every kind of prompt: file dialogue with refusals and the
// overwrite warning, blocking by hand with a refused row, global and group dialogues, the
// comparative file, the same-files and same-blocking questions, and the short dialogue.
// clang-format off
const std::vector<std::string> answers = {
    "missing.dat", "net.dat", "y", "y", "nothere.dat", "attr.dat", "2", "net.dat", "old.out", "n",
    "old.out", "y", "1", "n", "17 0", "1 2", "0 1", "2", "1 16", "3 1", "2", "0 0", "nocomp.dat",
    "comp.dat", "y" /* first_continue: the first report is written */, "y", "y", "1", "2", "0 0",
    "y", "n", "net.dat", "n", "y", "attr.dat", "2", "new.out", "n", "1", "y", "2", "1 103", "n"};
// clang-format on
constexpr std::size_t first_continue = 24;

std::string first_lines(std::size_t count) {
  std::string text;
  for (std::size_t k = 0; k < count; ++k) text += answers[k] + "\n";
  return text;
}

TEST(EndOfInput, AtEveryPromptOneMessageAndStatusOne) {
  const RunResult full = run_in_folder(data, first_lines(answers.size()));
  ASSERT_EQ(full.status, 0) << full.screen;
  ASSERT_NE(full.files.at("old.out").find("\f\n"), full.files.at("old.out").rfind("\f\n"));
  ASSERT_NE(full.files.at("new.out").find("\f\n"), std::string::npos);
  const std::string end = "\n End of input: no answer was given, the run ends.\n";
  for (std::size_t k = 0; k < answers.size(); ++k) {
    SCOPED_TRACE("input ends before answer " + std::to_string(k + 1) + " (" + answers[k] + ")");
    const RunResult cut = run_in_folder(data, first_lines(k));
    EXPECT_EQ(cut.status, 1);
    ASSERT_GE(cut.screen.size(), end.size());
    EXPECT_EQ(cut.screen.substr(cut.screen.size() - end.size()), end);
    // The screen and every output file hold a beginning of the whole run's (whole lines).
    const std::string shown = cut.screen.substr(0, cut.screen.size() - end.size());
    EXPECT_EQ(full.screen.compare(0, shown.size(), shown), 0);
    for (const char* name : {"old.out", "new.out"}) {
      const auto found = cut.files.find(name);
      if (found == cut.files.end() || found->second == "old contents\n") continue;
      const std::string& text = found->second;
      EXPECT_EQ(full.files.at(name).compare(0, text.size(), text), 0) << name;
      EXPECT_TRUE(text.empty() || text.back() == '\n') << name;
    }
    EXPECT_TRUE(k < first_continue || cut.files.at("old.out").find("\f\n") != std::string::npos);
  }
}

TEST(EndOfInput, ALastAnswerWithoutLineEndCounts) {
  for (std::size_t k : {std::size_t{0}, std::size_t{6}, first_continue, answers.size() - 1}) {
    const RunResult with_end = run_in_folder(data, first_lines(k + 1));
    const RunResult without_end = run_in_folder(data, first_lines(k) + answers[k]);
    EXPECT_EQ(without_end.status, with_end.status) << k;
    EXPECT_EQ(without_end.screen, with_end.screen) << k;
    EXPECT_EQ(without_end.files, with_end.files) << k;
  }
}

std::string fatal_message(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Limits, LongAnswersDevicesAndOutputFilesThatCannotBeCreated) {
  std::istringstream in(std::string(tarnwick::ClassicCapacity::line_length + 1, '1') + "\n");
  std::ostringstream out;
  Console console(in, out);
  EXPECT_EQ(fatal_message([&] { console.read_line(); }),
            "Input error: an answer line is longer than 16777216 characters; the run ends.");
  EXPECT_EQ(
      fatal_message([] { tarnwick::ClassicFile::open(tarnwick::classic_name_field("/dev/null")); }),
      "Cannot read \"/dev/null\": it is not an ordinary file.");
  EXPECT_EQ(fatal_message([] {
              tarnwick::classic_output_file(tarnwick::classic_name_field("/no-folder/out.txt"));
            }),
            "Cannot create output file \"/no-folder/out.txt\" (No such file or directory).");
}

}  // namespace
}  // namespace tarn
