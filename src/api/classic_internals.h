#pragma once
// What the classic API's types hold: the core's data, shared and never changed once built, and
// the core's exceptions given as the library's.

#include <memory>

#include "api/api_errors.h"
#include "fit/fit_result.h"
#include "model/blocking.h"
#include "model/kernel_layout.h"
#include "network/comparative_network.h"
#include "network/data_file.h"
#include "network/network.h"
#include "network/node_attributes.h"
#include "tarnwick/classic_fit.h"

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

// Runs `work`, the core's exceptions given as the library's: bad input as InputError or
// CapacityError, a model refused as ModelError. Any other exception passes as it is.
template <class Work>
auto with_classic_errors(Work&& work) -> decltype(work()) {
  try {
    return std::forward<Work>(work)();
  } catch (const ModelError& e) {
    throw tarnwick::ModelError(e.what());
  } catch (const FatalError& e) {
    throw_input_error(e);
  }
}

}  // namespace tarn
