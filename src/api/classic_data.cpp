#include <utility>

#include "api/classic_internals.h"
#include "kernel/statistic_range.h"
#include "network/attribute_file.h"
#include "network/comparative_file.h"
#include "network/file_access.h"
#include "network/file_name.h"
#include "network/line_reader.h"
#include "network/network_file.h"

namespace tarnwick {

static_assert(ClassicCapacity::parameters == tarn::max_params);
static_assert(ClassicCapacity::nodes == tarn::max_nodes);
static_assert(ClassicCapacity::links == tarn::max_links);
static_assert(ClassicCapacity::attributes == tarn::max_attrs);
static_assert(ClassicCapacity::blocks == tarn::max_blocks);
static_assert(ClassicCapacity::block_types == tarn::max_block_types);
static_assert(ClassicCapacity::groups == tarn::max_groups);
static_assert(ClassicCapacity::name_length == tarn::name_length);
static_assert(ClassicCapacity::line_length == tarn::max_line_length);

std::string classic_name_field(std::string_view typed) {
  return tarn::name_field(typed);
}
std::string classic_trimmed_name(std::string_view name_field) {
  return tarn::trimmed_name(name_field);
}
bool classic_file_exists(std::string_view name_field) {
  return tarn::file_exists(name_field);
}
bool classic_is_folder(std::string_view name_field) {
  return tarn::is_folder(name_field);
}
bool classic_same_file(std::string_view name_field, std::string_view other_name_field) {
  return tarn::same_file(name_field, other_name_field);
}
std::unique_ptr<std::ofstream> classic_output_file(std::string_view name_field) {
  return tarn::with_library_errors([&] { return tarn::open_for_writing(name_field); });
}

LineRead read_bounded_line(std::istream& in, std::string& line) {
  switch (tarn::read_bounded_line(in, line)) {
    case tarn::LineRead::line:
      return LineRead::line;
    case tarn::LineRead::end_of_file:
      return LineRead::end_of_file;
    case tarn::LineRead::too_long:
      break;
  }
  return LineRead::too_long;
}

ClassicFile ClassicFile::open(std::string_view name_field) {
  return tarn::with_library_errors(
      [&] { return ClassicFile(tarn::open_for_reading(name_field), std::string(name_field)); });
}
ClassicFile::ClassicFile(std::unique_ptr<std::istream> stream, std::string name_field)
    : data_(
          std::make_unique<Data>(Data{tarn::DataFile(std::move(stream), std::move(name_field))})) {}
ClassicFile::ClassicFile(ClassicFile&&) noexcept = default;
ClassicFile& ClassicFile::operator=(ClassicFile&&) noexcept = default;
ClassicFile::~ClassicFile() = default;
const std::string& ClassicFile::name() const {
  return data_->file.name();
}

int ClassicNetwork::node_count() const {
  return data_ ? data_->network.node_count : 0;
}
std::int64_t ClassicNetwork::link_count() const {
  return data_ ? data_->network.link_count : 0;
}

ClassicNetwork read_classic_network(ClassicFile& file, const std::function<void()>& stage_done) {
  return tarn::with_library_errors([&] {
    tarn::DataFile& data_file = file.data().file;
    auto data = std::make_shared<ClassicNetwork::Data>(
        ClassicNetwork::Data{tarn::read_network_file(data_file, stage_done)});
    tarn::check_statistic_range(data->network, tarn::network_file_source(data_file));
    return ClassicNetwork(std::move(data));
  });
}

ClassicNetwork classic_network_of_links(const std::vector<std::pair<int, int>>& links) {
  return tarn::with_library_errors([&] {
    return ClassicNetwork(std::make_shared<const ClassicNetwork::Data>(
        ClassicNetwork::Data{tarn::build_network(links)}));
  });
}

int ClassicAttributes::usable_count() const {
  return data_ ? data_->attributes.usable_count : 0;
}
int ClassicAttributes::largest(int attribute) const {
  if (!data_ || attribute < 1 || attribute > ClassicCapacity::attributes) return 0;
  return data_->attributes.largest[static_cast<std::size_t>(attribute - 1)];
}
int ClassicAttributes::value(int node, int attribute) const {
  if (!data_ || attribute < 1 || attribute > ClassicCapacity::attributes || node < 1) return 0;
  const auto& column = data_->attributes.value[static_cast<std::size_t>(attribute - 1)];
  return static_cast<std::size_t>(node) <= column.size() ? data_->attributes.of(node, attribute)
                                                         : 0;
}

ClassicAttributes read_classic_attributes(ClassicFile& file, int count) {
  return tarn::with_library_errors([&] {
    return ClassicAttributes(std::make_shared<const ClassicAttributes::Data>(
        ClassicAttributes::Data{tarn::read_attribute_file(file.data().file, count)}));
  });
}

ClassicAttributes classic_attributes_of(const std::vector<std::vector<int>>& values) {
  if (values.size() > std::size_t(ClassicCapacity::attributes)) {
    throw CapacityError("more than " + std::to_string(ClassicCapacity::attributes) + " attributes");
  }
  auto data = std::make_shared<ClassicAttributes::Data>();
  tarn::NodeAttributes& attributes = data->attributes;
  for (std::size_t a = 0; a < values.size(); ++a) {
    if (values[a].size() > std::size_t(ClassicCapacity::nodes)) {
      throw CapacityError("more than " + std::to_string(ClassicCapacity::nodes) + " nodes");
    }
    for (std::size_t i = 0; i < values[a].size(); ++i) {
      const int v = values[a][i];
      if (v < -32768 || v > 32767) throw ArgumentError("an attribute value passes 16 bits");
      attributes.set(int(i + 1), int(a + 1), static_cast<std::int16_t>(v));
    }
  }
  attributes.count_usable();
  return ClassicAttributes(std::move(data));
}

ClassicComparative read_classic_comparative(ClassicFile& file, int node_count) {
  return tarn::with_library_errors([&] {
    return ClassicComparative(std::make_shared<const ClassicComparative::Data>(
        ClassicComparative::Data{std::make_shared<const tarn::ComparativeNetwork>(
            tarn::read_comparative_file(file.data().file, node_count))}));
  });
}

}  // namespace tarnwick
