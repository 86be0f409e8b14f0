#pragma once
// A model from its types, in a line.

#include <initializer_list>
#include <span>

#include "model/model.h"

namespace tarn::test {

// Global parameters of the given types, in order.
inline Model model_of(std::span<const int> types) {
  ModelDescription description;
  for (int t : types) description.push_back({static_cast<ConfigurationType>(t), {}});
  return build_model(description, 0);
}
inline Model model_of(std::initializer_list<int> types) {
  return model_of(std::span<const int>(types.begin(), types.size()));
}

}  // namespace tarn::test
