#pragma once
// A model from its types, in a line: its description (built into a model once the data it reads
// are known), its kernel layout, or the model itself.

#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/study.h"
#include "network/comparative_network.h"
#include "support/networks.h"

namespace tarn::test {

struct ModelChoice {
  ModelDescription description;
  int block_type_count = 0;
};

// Global parameters of the given types, in order.
inline ModelChoice model_of(std::span<const int> types) {
  ModelChoice choice;
  for (int t : types) choice.description.push_back({static_cast<ConfigurationType>(t), {}});
  return choice;
}
inline ModelChoice model_of(std::initializer_list<int> types) {
  return model_of(std::span<const int>(types.begin(), types.size()));
}
inline ModelChoice model_choice(ModelDescription description, int block_type_count) {
  return {std::move(description), block_type_count};
}
inline KernelLayout layout_of(std::span<const int> types) {
  return build_kernel_layout(model_of(types).description, 0);
}
inline KernelLayout layout_of(std::initializer_list<int> types) {
  return layout_of(std::span<const int>(types.begin(), types.size()));
}

// The study of a model on a network, with the blocks and comparative network its terms read.
inline Study study_of(const Network& network, const ModelChoice& choice,
                      const std::optional<DyadBlocks>& blocks = std::nullopt,
                      const std::optional<ComparativeNetwork>& comparative = std::nullopt,
                      bool include_diagonal = false) {
  Study study;
  study.network = network;
  study.include_diagonal = include_diagonal;
  TermContext context;
  context.node_count = network.node_count;
  if (blocks) {
    study.blocks = std::make_shared<const DyadBlocks>(*blocks);
    context.blocks = study.blocks;
    context.block_type_count = choice.block_type_count;
  }
  if (comparative) {
    study.comparative = std::make_shared<const ComparativeNetwork>(*comparative);
    context.comparative = std::make_shared<const DyadValues>(DyadValues::of(*comparative));
  }
  study.model = build_model(choice.description, choice.block_type_count, context);
  return study;
}

// The node attributes of n nodes, given as columns of n values each.
inline NodeCovariates node_attributes(int n, std::vector<AttributeColumn> columns) {
  NodeCovariates attributes;
  attributes.node_count = n;
  attributes.columns = std::move(columns);
  return attributes;
}

// The study of a formula on the network of `links`, directed or not, with the node attributes
// of its nodes.
inline Study formula_study(const std::string& formula, const LinkList& links,
                           const NodeCovariates& attributes, bool directed = true) {
  TermContext context;
  context.directed = directed;
  context.node_count = attributes.node_count;
  context.attributes = &attributes;
  Study study;
  study.network = network_of(links);
  study.model = model_of_formula(formula, context);
  return study;
}

inline Study formula_study(const std::string& formula, const LinkList& links, int n,
                           bool directed = true, std::vector<AttributeColumn> columns = {}) {
  return formula_study(formula, links, node_attributes(n, std::move(columns)), directed);
}

}  // namespace tarn::test
