#pragma once
// A model dialogue driven from a string of answers: the screen is collected in a string, the
// records start zero-filled as at program start.

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "input/io.h"
#include "model/select.h"
#include "store/records.h"

namespace tarn::testing {

struct Session {
  explicit Session(const std::string& answers)
      : in(answers), io(in, out), rec_ptr(std::make_unique<Records>()), rec(*rec_ptr) {}

  std::string screen() const { return out.str(); }
  void run() { select(rec, io); }
  // Numbers of the parameter list, in order.
  std::vector<int> columns() const {
    std::vector<int> list;
    for (int p = 1; p <= rec.stats.param_count; ++p) list.push_back(rec.stats.param_column(p));
    return list;
  }
  // The types switched on, 2..16.
  std::vector<int> types_on() const {
    std::vector<int> list;
    for (int t = 2; t <= 16; ++t) {
      if (rec.flags.type_on(t) == 1) list.push_back(t);
    }
    return list;
  }
  // Skips the blocking dialogue and starts from a blocking settled earlier.
  void preset_blocking(int block_count, int block_type_count) {
    rec.flags.use_blocks = 0;
    rec.blocks.block_attr = 1;
    rec.blocks.block_count = static_cast<int16>(block_count);
    rec.blocks.block_type_count = static_cast<int16>(block_type_count);
  }

  std::istringstream in;
  std::ostringstream out;
  Io io;
  std::unique_ptr<Records> rec_ptr;
  Records& rec;
};

// How often `part` occurs in `text`.
inline int occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t pos = text.find(part); pos != std::string::npos;
       pos = text.find(part, pos + part.size())) {
    ++count;
  }
  return count;
}

// A fresh folder that is the working folder while the object lives.
class WorkFolder {
 public:
  WorkFolder() : previous_(std::filesystem::current_path()) {
    path_ = std::filesystem::temp_directory_path() /
            ("tarnwick_model_" + std::to_string(::getpid()) + "_" + std::to_string(serial()++));
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~WorkFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

 private:
  static int& serial() {
    static int n = 0;
    return n;
  }
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

inline const std::string menu_text =
    "\n"
    " Select from \n"
    " Edges:     1) i->j,         REdges:          2) i<>j\n"
    " 2Stars:    3) k<-i->j,      4) k->i<-j,      5) k->i->j\n"
    " Triads:    6) i->j->k<-i,   7) i->j->k->i,\n"
    " R2Stars:   8) k<>i->j,      9) k<>i<-j,     10) k<>i<>j\n"
    " RTriads:  11) i<>j->k<-i,  12) i<>j<-k->i,  13) i<>j<-k<-i\n"
    "           14) i<>j<>k<-i,  15) i<>j<>k<>i\n"
    " Comparative network:       16)\n";

}  // namespace tarn::testing
