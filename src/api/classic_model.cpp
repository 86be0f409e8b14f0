#include "api/classic_internals.h"
#include "model/model_terms.h"
#include "report/unblocked_nodes_note.h"

namespace tarn {

Blocking core_blocking(const tarnwick::ClassicBlocking& blocking) {
  Blocking core;
  core.attribute = blocking.attribute;
  core.block_count = blocking.block_count;
  core.block_type_count = blocking.block_type_count;
  for (int r = 1; r <= max_blocks; ++r) {
    for (int c = 1; c <= max_blocks; ++c) {
      core.structure(r, c) = static_cast<std::int16_t>(blocking.type_of(r, c));
    }
  }
  return core;
}

tarnwick::ClassicBlocking library_blocking(const Blocking& core) {
  tarnwick::ClassicBlocking blocking;
  blocking.attribute = core.attribute;
  blocking.block_count = core.block_count;
  blocking.block_type_count = core.block_type_count;
  for (int r = 1; r <= max_blocks; ++r) {
    for (int c = 1; c <= max_blocks; ++c) blocking.type_of(r, c) = core.structure(r, c);
  }
  return blocking;
}

}  // namespace tarn

namespace tarnwick {

static_assert(classic_type_count == tarn::type_count);
static_assert(classic_last_block_type == tarn::last_block_type);
static_assert(classic_first_group_column == tarn::first_group_column);
static_assert(classic_comparative_type == static_cast<int>(tarn::ConfigurationType::covariate));

ClassicBlocking ClassicBlocking::identity(int attribute, int blocks) {
  return tarn::library_blocking(tarn::Blocking::identity(attribute, blocks));
}

void ClassicBlocking::count_block_types() {
  tarn::Blocking core = tarn::core_blocking(*this);
  core.count_block_types();
  block_type_count = core.block_type_count;
}

int classic_unblocked_nodes(const ClassicBlocking& blocking, const ClassicAttributes& attributes,
                            int node_count) {
  if (attributes.data() == nullptr) return 0;
  return tarn::count_unblocked_nodes(tarn::core_blocking(blocking), attributes.data()->attributes,
                                     node_count);
}

std::string classic_unblocked_nodes_sentence(int unblocked, int block_count) {
  return tarn::unblocked_nodes_sentence(unblocked, block_count);
}

int classic_group_column(int group, int block_type_count) {
  return tarn::group_first_column(group, block_type_count);
}

namespace {

tarn::ModelDescription core_description(const ClassicDescription& description) {
  tarn::ModelDescription core;
  for (const ClassicTerm& term : description) {
    core.push_back({static_cast<tarn::ConfigurationType>(term.type), term.block_types});
  }
  return core;
}

std::vector<ClassicParameter> library_parameters(const tarn::KernelLayout& layout) {
  std::vector<ClassicParameter> parameters;
  for (const tarn::Parameter& p : layout.parameters) {
    parameters.push_back({tarn::number(p.type), p.block_type, p.column, p.group});
  }
  return parameters;
}

}  // namespace

ClassicModel classic_model(const ClassicDescription& description, int block_type_count) {
  return tarn::with_library_errors([&] {
    auto data = std::make_shared<ClassicModel::Data>();
    data->description = description;
    data->core_description = core_description(description);
    data->layout = tarn::build_kernel_layout(data->core_description, block_type_count);
    data->parameters = library_parameters(data->layout);
    return ClassicModel(std::move(data));
  });
}

ClassicModel::ClassicModel() : data_(std::make_shared<const Data>()) {}

const ClassicDescription& ClassicModel::description() const {
  return data_->description;
}
const std::vector<ClassicParameter>& ClassicModel::parameters() const {
  return data_->parameters;
}
int ClassicModel::block_type_count() const {
  return data_->layout.block_type_count;
}
bool ClassicModel::has_block_parameter() const {
  return data_->layout.has_block_parameter();
}
bool ClassicModel::computes(int type) const {
  return type >= 1 && type <= classic_type_count && data_->layout.switches(type);
}
bool ClassicModel::triad_out_only() const {
  return data_->layout.switches.triad_out_only;
}
std::string ClassicModel::terms() const {
  std::string list;
  for (const tarn::Parameter& p : data_->layout.parameters) {
    list += (list.empty() ? "" : ",") + tarn::term_text(p);
  }
  return list;
}

}  // namespace tarnwick
