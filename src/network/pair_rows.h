#pragma once
// Every row of a file of links, as its reader notes it, so that one file gives one network:
// - a pair given on several rows with one value is one link: the copies are merged, and the
//   warning repeated_rows_merged says how many (figures: file, rows, first, line, first_line);
//   rows of one pair with different values end the run, naming both lines;
// - a row of value 0 is no link: the warning zero_value_rows says how many (file, rows);
// - on an undirected network the rows i,j and j,i are one pair: when their values differ the
//   warning reverse_rows_differ says so (file, pairs, first, second, value, reverse_value, of
//   "links"), and the pair is an edge when either row gives a link.
// A pair is an ordered pair here; the rows i,j and j,i of an undirected network are not copies
// of each other (a list may give every edge both ways).

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "network/warning.h"

namespace tarn {

class PairRows {
 public:
  // The row sender -> receiver (ids of the reader, 1..n) of `value`, on `line`.
  void note(int sender, int receiver, double value, long line) {
    rows_.push_back(
        {sender, receiver,
         static_cast<std::int32_t>(std::min<long>(line, std::numeric_limits<std::int32_t>::max())),
         value});
  }
  // Forgets the row noted first (a first line taken for a header after all).
  void drop_first();

  // What the rows say, in the order reverse_rows_differ, repeated_rows_merged, zero_value_rows.
  // `name` gives an id's name as the file writes it. Throws FatalError, naming the file, the
  // pair and its two lines, when rows of one pair give different values. Sorts the rows by pair
  // in their place: 24 bytes a row and no copy.
  std::vector<Warning> warnings(const std::string& file, bool undirected,
                                const std::function<std::string(int id)>& name);

 private:
  struct Row {
    std::int32_t sender, receiver;
    std::int32_t line;
    double value;
  };
  struct Findings;  // what one pass over the sorted rows finds

  void sort_by_pair();
  Findings find(const std::string& file, bool undirected,
                const std::function<std::string(int id)>& name) const;
  static std::vector<Warning> said(const Findings& found, const std::string& file,
                                   const std::function<std::string(int id)>& name);

  // In blocks rather than one vector: a vector grown to hundreds of kilobytes and freed would
  // raise the allocator's threshold for mapping memory of its own, and the fit that follows would
  // take more resident memory (5% more for the email-Eu network).
  std::deque<Row> rows_;
};

// A number as the messages show it: the shortest text that reads back to it (2, 2.5, 0).
std::string value_text(double value);

}  // namespace tarn
