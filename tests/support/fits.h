#pragma once
// A fit of a model to a network in a line, with what the fit read kept beside its result.

#include <optional>
#include <utility>

#include "mple/pseudo_likelihood.h"
#include "support/models.h"
#include "support/networks.h"

namespace tarn::test {

struct Fitted {
  Network network;
  ModelChoice model;
  std::optional<ComparativeNetwork> comparative;
  std::optional<DyadBlocks> blocks;
  bool include_diagonal = false;
  FitResult result;

  Study data() const { return study_of(network, model, blocks, comparative, include_diagonal); }
  const FitResult& fit(const FitObserver& observer = {}) {
    result = fit_pseudo_likelihood(data(), observer);
    return result;
  }
};

inline Fitted fitted(const LinkList& links, std::initializer_list<int> types) {
  Fitted f{network_of(links), model_of(types), {}, {}, false, {}};
  f.fit();
  return f;
}

}  // namespace tarn::test
