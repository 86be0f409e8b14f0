// The same model through both doors: every single-model session of the whole-dialogue cases, and
// every fit of the corpus, given to the command line (its options made from what the dialogue
// understood of the answers, or from the corpus case) writes, with --report, the dialogue's output
// file text exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "dialogue/console.h"
#include "dialogue/file_dialogue.h"
#include "dialogue/select.h"
#include "support/corpus.h"
#include "support/networks.h"
#include "support/repository.h"
#include "support/run_folder.h"
#include "support/temporary_folder.h"
#include "tarnwick/classic/data.h"
#include "tarnwick/classic/model.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

// The command line reads one network per file: a link given twice is one link, a self-link is no
// dyad without --diagonal. Where it says it read the file so, the dialogue (which counts a
// repeated link twice and keeps self-links in its statistics) fits another network.
bool read_as_another_network(const std::string& err) {
  return err.find("a link given before") != std::string::npos ||
         err.find("self-link") != std::string::npos;
}

// The dialogue holds the pseudo-likelihood's estimates within -15..15 (its reports are pinned to
// that); the command line does not. Where the command line's estimate (in its JSON) passes the
// bound, the dialogue's stopped at it, and the two reports differ there by design.
bool passes_the_dialogue_bound(const std::string& json_path) {
  const auto json = nlohmann::json::parse(test::read_text(json_path));
  for (const auto& p : json["parameters"]) {
    if (p["estimate"].is_number() && std::fabs(p["estimate"].get<double>()) > 15.0) return true;
  }
  return false;
}

int run_cli(const std::vector<std::string>& arguments, std::string& err) {
  std::vector<const char*> argv = {"tarnwick"};
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  std::ostringstream out, errors;
  const int status = run_command_line(static_cast<int>(argv.size()), argv.data(), out, errors);
  err = errors.str();
  return status;
}

// The structure as a matrix file, when it is not the default one.
void add_structure(const tarnwick::ClassicBlocking& blocking, std::vector<std::string>& arguments) {
  if (blocking.block_type_count == 1) {
    bool identity = true;
    for (int r = 1; r <= blocking.block_count; ++r)
      for (int c = 1; c <= blocking.block_count; ++c)
        identity = identity && blocking.type_of(r, c) == (r == c ? 1 : 0);
    if (identity) return;
  }
  {
    std::ofstream file("structure.txt");
    for (int r = 1; r <= blocking.block_count; ++r) {
      for (int c = 1; c <= blocking.block_count; ++c) file << blocking.type_of(r, c) << ' ';
      file << '\n';
    }
  }
  arguments.insert(arguments.end(), {"--block-structure", "structure.txt"});
}

// The answers from the line that the file dialogue read at the last `prompt` on. The file
// dialogue reads one answer line at each of its prompts (only the last, the attribute count, may
// read on), so its prompts on the screen before that one count the lines read before it.
std::string answers_from_prompt(const std::string& screen, const std::string& answers,
                                const std::string& prompt) {
  static const std::vector<std::string> prompts = {
      " Enter name of network file: ", " Include diagonal (y or n)? ",
      " Fit to block parameters (y or n)? ",
      " Enter name of attribute file: ", " How many attributes (not including id)? "};
  const std::size_t asked = screen.rfind(prompt);
  std::size_t lines_before = 0;
  for (const std::string& p : prompts) {
    for (std::size_t at = screen.find(p); at < asked; at = screen.find(p, at + 1)) ++lines_before;
  }
  std::size_t start = 0;
  for (std::size_t k = 0; k < lines_before; ++k) start = answers.find('\n', start) + 1;
  return answers.substr(start);
}

// The answer to the file dialogue's last `prompt` of a file name, read as the dialogue reads it.
std::string file_named_at(const std::string& screen, const std::string& answers,
                          const std::string& prompt) {
  std::istringstream in(answers_from_prompt(screen, answers, prompt));
  std::ostringstream unused;
  return tarnwick::classic_trimmed_name(Console(in, unused).read_file_name());
}

// The command line of the session that `answers` gives, as the dialogue understands it; empty
// when the session does not fit exactly one model. `output` receives the output file's name.
std::vector<std::string> command_of_session(const std::string& answers, std::string& output) {
  std::istringstream in(answers);
  std::ostringstream screen;
  Session session(in, screen);
  auto state = std::make_unique<DialogueState>();
  ChosenModel chosen;
  try {
    readin(*state, session);
    chosen = select_model(*state, session);
    output = tarnwick::classic_trimmed_name(session.output_name);
  } catch (const std::runtime_error&) {
    return {};  // the session ends on an error before the fit
  }
  std::string rest, line;
  while (std::getline(in, line)) rest += line + "\n";
  if (rest.empty() || rest[0] == 'y' || rest[0] == 'Y' || rest.find('\n') + 1 != rest.size()) {
    return {};  // a further model, or no end
  }
  const std::string said = screen.str();
  std::vector<std::string> a = {"fit",
                                file_named_at(said, answers, " Enter name of network file: "), "-m",
                                chosen.model.terms()};
  if (chosen.model.parameters().empty()) return {};  // the command line needs a term
  if (state->include_diagonal) a.push_back("--diagonal");
  if (state->use_blocks) {
    std::istringstream count_answer(
        answers_from_prompt(said, answers, " How many attributes (not including id)? "));
    std::ostringstream unused;
    // As the dialogue takes the count: at most the capacity, any negative count as -1.
    const std::int64_t count = std::clamp<std::int64_t>(
        Console(count_answer, unused).read_integer(), -1, tarnwick::ClassicCapacity::attributes);
    a.insert(a.end(),
             {"--attributes", file_named_at(said, answers, " Enter name of attribute file: "),
              "--attribute-count", std::to_string(count)});
  }
  if (state->blocking.in_use() && state->use_blocks) {
    a.insert(a.end(), {"--block-by", std::to_string(state->blocking.attribute)});
    add_structure(state->blocking, a);
  }
  if (chosen.comparative_file)
    a.insert(a.end(),
             {"--covariate", tarnwick::classic_trimmed_name(chosen.comparative_file->name())});
  return a;
}

TEST(BothDoors, EverySingleModelDialogueCase) {
  int compared = 0;
  std::vector<std::string> other_networks, past_the_bound;
  for (const auto& entry : fs::directory_iterator(test::repository_file("tests/dialogue/cases"))) {
    const fs::path expected = entry.path() / "expected";
    if (!fs::is_directory(expected) || fs::exists(entry.path() / "setup.sh")) continue;
    const fs::path status = entry.path() / "status";
    if (fs::exists(status) && test::read_text(status) != "0\n") continue;  // ended on an error
    const std::string answers = test::read_text(entry.path() / "answers.txt");
    const test::TemporaryFolder folder(true);
    if (fs::is_directory(entry.path() / "files")) {
      fs::copy(entry.path() / "files", folder.path(), fs::copy_options::recursive);
    }
    std::string output;
    std::vector<std::string> arguments = command_of_session(answers, output);
    if (arguments.empty()) continue;
    SCOPED_TRACE(entry.path().filename().string());
    arguments.insert(arguments.end(),
                     {"--report", "through_the_command_line.out", "--json", "j.json", "-q"});
    std::string err;
    run_cli(arguments, err);
    if (read_as_another_network(err)) {
      other_networks.push_back(entry.path().filename().string());
      continue;
    }
    if (passes_the_dialogue_bound("j.json")) {
      past_the_bound.push_back(entry.path().filename().string());
      continue;
    }
    EXPECT_EQ(test::read_text("through_the_command_line.out"), test::read_text(expected / output))
        << err;
    ++compared;
  }
  EXPECT_GE(compared, 20);  // the cases of one model that reach the fit
  std::sort(other_networks.begin(), other_networks.end());
  EXPECT_EQ(other_networks,
            (std::vector<std::string>{"bad_fit_no_ties", "bad_network_repeated_link_accepted"}));
  EXPECT_EQ(past_the_bound, std::vector<std::string>{"bad_fit_estimate_at_the_bound"});
}

// The corpus case's files in the folder, and its command line.
std::vector<std::string> command_of_corpus_case(const test::corpus::Case& c,
                                                const test::LinkList& links) {
  char line[32];
  {
    std::ofstream network("net.dat");
    network << "(2I5,I3)\n";
    for (const auto& [i, j] : links)
      network << std::string(line,
                             std::size_t(std::snprintf(line, sizeof line, "%5d%5d%3d\n", i, j, 1)));
  }
  std::vector<std::string> terms;
  for (int t : c.globals) terms.push_back(std::to_string(t));
  std::vector<std::string> a = {"fit", "net.dat"};
  if (c.diagonal) a.push_back("--diagonal");
  const auto& b = c.blocking;
  if (b.block_count > 0) {
    test::corpus::Draw draw(c.net.seed * 7919u + 13u);
    {
      std::ofstream attributes("attr.dat");
      attributes << "(I5,I3)\n";
      const int n = test::network_of(links).node_count;
      for (int i = 1; i <= n; ++i) {
        const int block = draw.unit() < b.unblocked ? 0 : 1 + draw.below(b.block_count);
        attributes << std::string(
            line, std::size_t(std::snprintf(line, sizeof line, "%5d%3d\n", i, block)));
      }
    }
    a.insert(a.end(), {"--attributes", "attr.dat", "--block-by", "1"});
    if (!b.matrix.empty()) {
      {
        std::ofstream structure("structure.txt");
        for (const auto& row : b.matrix) {
          for (int v : row) structure << v << ' ';
          structure << '\n';
        }
      }
      a.insert(a.end(), {"--block-structure", "structure.txt"});
    }
    for (const auto& group : b.groups)
      for (int block_type : group.blocks)
        terms.push_back(std::to_string(group.type) + "@" + std::to_string(block_type));
  }
  if (std::find(c.globals.begin(), c.globals.end(), 16) != c.globals.end()) {
    std::ofstream("compar.dat") << test::corpus::comparative_text(c, links);
    a.insert(a.end(), {"--covariate", "compar.dat"});
  }
  std::string list;
  for (const std::string& t : terms) list += (list.empty() ? "" : ",") + t;
  a.insert(a.end(), {"-m", list, "--report", "cli.out", "--json", "j.json", "-q"});
  return a;
}

TEST(BothDoors, EveryCorpusFit) {
  const std::string corpus = test::repository_file("tests/corpus") + "/";
  std::vector<std::string> other_networks, past_the_bound;
  for (const test::corpus::Case& c : test::corpus::corpus_cases()) {
    SCOPED_TRACE(c.name);
    if (c.globals.empty() && c.blocking.groups.empty()) continue;
    const test::LinkList links = test::corpus::corpus_network(c.net);
    const test::TemporaryFolder folder(true);
    std::string err;
    run_cli(command_of_corpus_case(c, links), err);
    if (read_as_another_network(err)) {
      other_networks.push_back(c.name);
      continue;
    }
    if (passes_the_dialogue_bound("j.json")) {
      past_the_bound.push_back(c.name);
      continue;
    }
    std::string report = test::read_text("cli.out");
    // The head lines name the files; the corpus keeps the reports alone.
    while (report.rfind(" Network file:", 0) == 0 || report.rfind(" Attribute file:", 0) == 0 ||
           report.rfind(" Comparative file:", 0) == 0) {
      report.erase(0, report.find('\n') + 1);
    }
    EXPECT_EQ(report, test::read_text(corpus + c.name + ".out")) << err;
  }
  EXPECT_EQ(other_networks, (std::vector<std::string>{"repeated_links", "self_ties_skipped"}));
  EXPECT_EQ(past_the_bound,
            (std::vector<std::string>{"separated_reciprocity", "diagonal_all",
                                      "separating_comparative", "separating_comparative_triads"}));
}

}  // namespace
}  // namespace tarn
