#pragma once
// Helpers of the fit tests: a model set on a test world, and an output file on disk that the
// report is written to and read back from.

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fit/pseudo_likelihood.h"
#include "support/world.h"

namespace tarn::test {

// The parameter list `columns` with the switches its global columns (1..16) need; a model with
// block columns switches on the types of its groups itself.
inline void set_model(World& w, const std::vector<int>& columns, bool skip_diagonal = true) {
  Records& rec = w.rec;
  rec.data.zero = 0.0;
  rec.data.one = 1.0;
  rec.flags.skip_diagonal = skip_diagonal ? 1 : 0;
  rec.stats.param_count = static_cast<int16>(columns.size());
  for (std::size_t k = 0; k < columns.size(); ++k) {
    rec.stats.param_column(static_cast<int>(k) + 1) = static_cast<int16>(columns[k]);
  }
  std::vector<int> types;
  for (int c : columns) {
    if (c >= 1 && c <= 16) types.push_back(c);
  }
  w.select_types(std::span<const int>(types.data(), types.size()));
}

// An output file in the test's temporary folder, opened as the report's file.
class ReportFile {
 public:
  explicit ReportFile(World& w) : io_(w.io) {
    static int serial = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = ::testing::TempDir() + "tarnwick_fit_" + info->name() + "_" + std::to_string(++serial) +
            ".out";
    io_.output_file = std::make_unique<std::ofstream>(path_);
  }
  ~ReportFile() {
    io_.output_file.reset();
    std::remove(path_.c_str());
  }
  std::string text() {
    io_.output_file->flush();
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
  }

 private:
  Io& io_;
  std::string path_;
};

// A 10-node network of 18 links.
inline LinkList ring_of_ten() {
  return {{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 5},  {4, 6},  {5, 6},
          {5, 7}, {6, 7}, {6, 8}, {7, 8}, {7, 9}, {8, 9}, {8, 10}, {9, 10}, {10, 1}};
}

}  // namespace tarn::test
