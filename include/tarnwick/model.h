#pragma once
// A statnet formula built on a network once, for the work that follows (fit, simulate, gof, the
// statistics), so that a front end can check what the model reads before the long work starts.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tarnwick/network.h"
#include "tarnwick/work.h"

namespace tarnwick {

class Model {
 public:
  const Network& network() const;
  const std::string& formula() const;
  // The network's files and those the terms read (an edgecov's, as "edgecov in --model").
  std::vector<InputFile> input_files() const;
  // What the readers and the model's terms noticed, as the command line words them.
  std::vector<WarningRecord> notes() const;
  // Whether every term is one of the sixteen configuration types, the terms of the dialogue's
  // report.
  bool configuration_types_only() const;
  std::vector<std::string> statistic_names() const;

  struct Data;
  explicit Model(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  const Data& data() const { return *data_; }

 private:
  std::shared_ptr<const Data> data_;
};

// Throws ModelError for a formula that names no term or a term that does not fit the network,
// InputError for a file a term reads (edgecov).
Model build_model(const Network& network, const std::string& formula);

}  // namespace tarnwick
