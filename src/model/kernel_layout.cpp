#include "model/kernel_layout.h"

#include "network/capacity.h"

namespace tarn {

TypeSwitches derive_type_switches(const std::array<bool, type_count + 1>& chosen) {
  TypeSwitches s;
  s.on = chosen;
  auto& on = s.on;
  if (on[5] || on[8] || on[9] || on[10]) on[2] = true;
  const bool reciprocated_triads = on[11] || on[12] || on[13] || on[14];
  // Decided on type 6 as chosen, before the triad types switch it on.
  s.triad_out_only = on[15] && !on[6] && !reciprocated_triads;
  if (reciprocated_triads || on[15]) {
    on[2] = true;
    on[6] = true;
  }
  if (on[13]) on[7] = true;
  return s;
}

KernelLayout build_kernel_layout(const ModelDescription& description, int block_type_count) {
  KernelLayout model;
  model.block_type_count = block_type_count;
  std::array<bool, type_count + 1> chosen{};
  auto add = [&model](const Parameter& p) {
    if (model.parameter_count() >= max_params) {
      throw ModelError("more than " + std::to_string(max_params) + " parameters");
    }
    model.parameters.push_back(p);
  };
  for (const ModelEntry& entry : description) {
    const int t = number(entry.type);
    if (t < 1 || t > type_count) throw ModelError("no configuration type " + std::to_string(t));
    chosen[static_cast<std::size_t>(t)] = true;
    if (entry.block_types.empty()) {
      add({entry.type, 0, t, 0});
      continue;
    }
    const std::string what = "the block parameters of type " + std::to_string(t);
    if (t > last_block_type) throw ModelError(what + ": type 16 has no block parameters");
    if (block_type_count < 1) throw ModelError(what + ": there are no block types");
    const int g = static_cast<int>(model.groups.size()) + 1;
    if (g > max_groups) {
      throw ModelError(what + ": more than " + std::to_string(max_groups) + " groups");
    }
    const int first = group_first_column(g, block_type_count);
    if (first + block_type_count > max_params) {
      throw ModelError(what + ": their columns would pass column " + std::to_string(max_params));
    }
    for (int b : entry.block_types) {
      if (b < 1 || b > block_type_count) {
        throw ModelError(what + ": block type " + std::to_string(b) + " is outside 1.." +
                         std::to_string(block_type_count));
      }
      add({entry.type, b, first + b, g});
    }
    model.groups.push_back({entry.type, first});
  }
  model.switches = derive_type_switches(chosen);
  return model;
}

}  // namespace tarn
