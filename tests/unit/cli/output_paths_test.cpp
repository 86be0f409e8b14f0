// Where outputs go: every kind of path (a regular file, a symbolic link, a device, a FIFO, a
// missing folder) is written as what it is; no output replaces an input; and a run ended by
// SIGINT or SIGTERM leaves the old outputs and no temporary file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "support/repository.h"
#include "support/run_folder.h"
#include "support/temporary_folder.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

// A fresh folder holding the advice network, entered for the life of this object.
struct Folder {
  Folder() { fs::copy_file(test::repository_file("examples/advice.csv"), path / "net.csv"); }
  // The names in the folder (and its subfolders) that are temporary files.
  std::vector<std::string> temporaries() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(path)) {
      if (entry.path().string().find(".tarnwick-") != std::string::npos)
        found.push_back(entry.path().string());
    }
    return found;
  }
  const test::TemporaryFolder folder{true};
  const fs::path& path = folder.path();
};

struct FitRun {
  int status;
  std::string err;
};

FitRun fit_to(const std::vector<std::string>& outputs) {
  std::vector<std::string> arguments = {"tarnwick", "fit", "net.csv", "-m", "edges", "-q"};
  arguments.insert(arguments.end(), outputs.begin(), outputs.end());
  std::vector<const char*> argv;
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = run_command_line(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, err.str()};
}

bool is_json(const fs::path& path) {
  return test::read_text(path).starts_with("{\n  \"program\": \"tarnwick\"");
}

TEST(OutputPaths, EveryKindOfPathIsWrittenAsWhatItIs) {
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::vector<std::string> outputs;
    int status;
    const char* message;  // a part of standard error ("" for none)
    std::function<void()> check;
  };
  std::string from_fifo;
  std::thread reader;
  const std::vector<Case> cases = {
      {"a regular file",
       [] {},
       {"--json", "r.json"},
       exit_ok,
       "",
       [] { EXPECT_TRUE(is_json("r.json")); }},
      {"a symbolic link: the file it names is replaced, the link stays",
       [] {
         fs::create_directory("real");
         std::ofstream("real/old.json") << "old";
         fs::create_symlink("real/old.json", "link.json");
       },
       {"--json", "link.json"},
       exit_ok,
       "",
       [] {
         EXPECT_TRUE(fs::is_symlink("link.json"));
         EXPECT_TRUE(is_json("real/old.json"));
       }},
      {"a link to a file not there yet",
       [] { fs::create_symlink("new.json", "dangling.json"); },
       {"--json", "dangling.json"},
       exit_ok,
       "",
       [] {
         EXPECT_TRUE(fs::is_symlink("dangling.json"));
         EXPECT_TRUE(is_json("new.json"));
       }},
      {"/dev/null",
       [] {},
       {"--json", "/dev/null", "--csv", "c.csv"},
       exit_ok,
       "",
       [] {
         EXPECT_TRUE(fs::is_character_file("/dev/null"));
         EXPECT_TRUE(fs::exists("c.csv"));
       }},
      {"/dev/full",
       [] {},
       {"--json", "j.json", "--csv", "/dev/full"},
       exit_output_failed,
       "--csv /dev/full: the write failed (No space left on device)",
       [] {
         EXPECT_TRUE(fs::is_character_file("/dev/full"));
         EXPECT_FALSE(fs::exists("j.json"));
       }},
      {"a FIFO with a reader",
       [&] {
         ASSERT_EQ(mkfifo("pipe", 0600), 0);
         reader = std::thread([&from_fifo] { from_fifo = test::read_text("pipe"); });
       },
       {"--csv", "pipe"},
       exit_ok,
       "",
       [&] {
         reader.join();
         EXPECT_TRUE(from_fifo.starts_with("term,estimate,std_error,")) << from_fifo;
         EXPECT_TRUE(fs::is_fifo("pipe"));
       }},
      {"a missing folder",
       [] {},
       {"--json", "no/such/r.json"},
       exit_output_failed,
       "--json no/such/r.json: cannot be written (No such file or directory)",
       [] { EXPECT_FALSE(fs::exists("no")); }},
      {"a hard link to the network",
       [] { fs::create_hard_link("net.csv", "same.csv"); },
       {"--csv", "same.csv"},
       exit_usage,
       "--csv same.csv: this is the file that the network argument reads (net.csv)",
       [] { EXPECT_EQ(test::read_text("same.csv"), test::read_text("net.csv")); }},
      {"a symbolic link to the network",
       [] { fs::create_symlink("net.csv", "alias.csv"); },
       {"--report", "alias.csv"},
       exit_usage,
       "--report alias.csv: this is the file",
       [] { EXPECT_TRUE(fs::is_symlink("alias.csv")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Folder folder;
    c.prepare();
    const FitRun r = fit_to(c.outputs);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    c.check();
    EXPECT_EQ(folder.temporaries(), std::vector<std::string>());
  }
}

// The built program, interrupted while it draws networks: it ends by the signal, its temporary
// files and staging folder are gone, and the earlier outputs are as they were.
TEST(OutputPaths, AnInterruptedRunLeavesTheOldOutputsAndNoTemporaryFile) {
  for (const int signal_number : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal_number);
    const Folder folder;
    std::ofstream("stats.csv") << "earlier\n";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      execl(TARNWICK_PROGRAM, "tarnwick", "simulate", "net.csv", "-m", "edges,mutual", "--networks",
            "100000", "--interval", "100000", "--stats", "stats.csv", "--out", "sample", "-q",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    // Until the run has made its temporary files and written some networks.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      bool started = false;
      for (const std::string& t : folder.temporaries()) {
        started = started || t.find("network_") != std::string::npos;
      }
      if (started) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(kill(child, signal_number), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_EQ(folder.temporaries(), std::vector<std::string>());
    EXPECT_FALSE(fs::exists("sample"));
    EXPECT_EQ(test::read_text("stats.csv"), "earlier\n");
  }
}

}  // namespace
}  // namespace tarn
