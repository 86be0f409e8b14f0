#pragma once
// What the classic API's types hold: the core's data, shared and never changed once built. Its
// calls give the core's exceptions as the library's (with_library_errors, api_errors.h).

#include <memory>

#include "api/api_errors.h"
#include "model/blocking.h"
#include "model/kernel_layout.h"
#include "mple/fit_result.h"
#include "network/comparative_network.h"
#include "network/data_file.h"
#include "network/network.h"
#include "network/node_attributes.h"
#include "tarnwick/classic/fit.h"

struct tarnwick::ClassicFile::Data {
  tarn::DataFile file;
};

struct tarnwick::ClassicNetwork::Data {
  tarn::Network network;
};

struct tarnwick::ClassicAttributes::Data {
  tarn::NodeAttributes attributes;
};

struct tarnwick::ClassicComparative::Data {
  std::shared_ptr<const tarn::ComparativeNetwork> network;  // as the study holds it
};

struct tarnwick::ClassicModel::Data {
  ClassicDescription description;
  std::vector<ClassicParameter> parameters;
  tarn::ModelDescription core_description;
  tarn::KernelLayout layout;
};

struct tarnwick::ClassicFit::Data {
  tarn::FitResult result;
  ClassicModel model;
  tarn::Blocking blocking;
};

namespace tarn {

// The blocking of the core from the library's, and back.
Blocking core_blocking(const tarnwick::ClassicBlocking& blocking);
tarnwick::ClassicBlocking library_blocking(const Blocking& blocking);

}  // namespace tarn
