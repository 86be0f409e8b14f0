#include "simulate/network_distribution.h"

#include "model/model_terms.h"

namespace tarn {

namespace {

bool passes_with_diagonal(ConfigurationType type) {
  const int t = number(type);
  return t == 1 || t == 3 || t == 4 || t == 5 || t == 15 || t == 16;
}

bool passes_with_fixed_self_links(ConfigurationType type) {
  const int t = number(type);
  return t != 6 && (t < 11 || t > 14);
}

bool structure_symmetric(const DyadBlocks& blocks) {
  for (int r = 1; r <= blocks.block_count; ++r) {
    for (int c = r + 1; c <= blocks.block_count; ++c) {
      if (blocks.structure(r, c) != blocks.structure(c, r)) return false;
    }
  }
  return true;
}

bool network_has_self_links(const Network& network) {
  for (int a = 1; a <= network.node_count; ++a) {
    for (int16 e : network.out_list(a)) {
      if (e == a || e == -a) return true;
    }
  }
  return false;
}

DistributionCheck check(const Model& model, bool symmetric_structure, bool include_diagonal,
                        bool has_self_links) {
  for (std::size_t k = 0; k < model.parameters.size(); ++k) {
    const Parameter& p = model.parameters[k];
    const std::string which = "parameter " + std::to_string(k + 1) + " (" + term_text(p) + ")";
    if (include_diagonal && !passes_with_diagonal(p.type)) {
      return {false, which + ": with the self-pairs as dyads, the statistic of type " +
                         std::to_string(number(p.type)) +
                         " is no change of a count of the network (only types 1, 3, 4, 5, 15 and "
                         "16 are); simulate without --diagonal"};
    }
    if (!include_diagonal && has_self_links && !passes_with_fixed_self_links(p.type)) {
      return {false, which + ": the network has self-links, and the statistic of type " +
                         std::to_string(number(p.type)) +
                         " counts paths through them, so that it is no change of a count of the "
                         "network; leave the self-links out of the network file"};
    }
    if (p.block_type == 0 || p.type == ConfigurationType::edges) continue;
    if (p.type == ConfigurationType::mutual) {
      if (symmetric_structure) continue;
      return {false, which +
                         ": a block parameter of mutual ties needs a symmetric block "
                         "structure (the block type of a pair of blocks the same both ways); "
                         "otherwise the two links of a pair lie in different block types and "
                         "no count of the network changes as its statistic does"};
    }
    return {false, which + ": a block parameter of type " + std::to_string(number(p.type)) +
                       " keeps or drops a dyad's statistic by the dyad's own block type, while "
                       "the dyads it counts may lie in other block types, so no count of the "
                       "network changes as its statistic does"};
  }
  return {};
}

}  // namespace

DistributionCheck check_network_distribution(const Model& model, const Blocking& blocking,
                                             bool include_diagonal, bool has_self_links) {
  return check(model, blocking.symmetric(), include_diagonal, has_self_links);
}

DistributionCheck check_network_distribution(const Model& model, const DyadBlocks* blocks,
                                             bool include_diagonal, const Network& network) {
  return check(model, blocks == nullptr || structure_symmetric(*blocks), include_diagonal,
               network_has_self_links(network));
}

}  // namespace tarn
