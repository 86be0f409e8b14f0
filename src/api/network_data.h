#pragma once
// What a library Network holds: the data as the command line reads them, and the options they
// were read with (the terms read attributes and edgecov files through them).

#include "io/input_data.h"
#include "tarnwick/tarnwick.h"

struct tarnwick::Network::Data {
  tarn::StudyOptions options;
  tarn::InputData input;
  std::vector<std::string> labels;  // node 1..n's name, at index 0..n-1
};
