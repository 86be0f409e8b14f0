#include "cli/study.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <memory>

#include "cli/usage_error.h"
#include "network/attribute_file.h"
#include "network/attribute_table.h"
#include "network/block_structure_file.h"
#include "network/comparative_file.h"
#include "network/covariate_list.h"
#include "network/fatal_error.h"
#include "network/file_access.h"
#include "network/network_file.h"
#include "network/pajek_file.h"
#include "network/record_format.h"
#include "stats/statistic_range.h"

namespace tarn {

namespace {

// The first bytes of a file, for the detection of its format.
std::string head_of(const std::string& path) {
  std::unique_ptr<std::istream> in = open_for_reading(path);
  std::string head(4096, '\0');
  in->read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in->gcount()));
  return head;
}

// A record file's attribute count: the integer fields of its format line, less the id.
int attributes_in_format_line(const std::string& path) {
  std::unique_ptr<std::istream> in = open_for_reading(path);
  std::string line;
  std::getline(*in, line);
  std::string problem;
  const auto format = RecordFormat::parse(line.substr(0, format_length), problem);
  if (!format) return 0;  // the reader reports the format
  return static_cast<int>(std::clamp<std::int64_t>(format->integers_per_pass() - 1, 0, max_attrs));
}

int parse_positive(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

void read_network(const StudyOptions& o, Study& s) {
  const NetworkFormat format = format_of_file(o.network_path, o.format);
  s.files.push_back({"network", o.network_path, std::string(network_format_name(format))});
  std::string source;
  if (format == NetworkFormat::record) {
    DataFile file(open_for_reading(o.network_path), o.network_path);
    s.network = read_network_file(file);
    source = network_file_source(file);
  } else {
    std::unique_ptr<std::istream> in = open_for_reading(o.network_path);
    LabelledNetwork read = format == NetworkFormat::pajek
                               ? read_pajek(*in, o.network_path)
                               : read_edge_list(*in, o.network_path, format, o.header);
    s.network = std::move(read.network);
    s.labels = std::move(read.labels);
    source = "Network file \"" + o.network_path + "\"";
  }
  check_statistic_range(s.network, source);
}

void read_attributes(const StudyOptions& o, Study& s) {
  const NetworkFormat format = format_of_file(o.attributes_path, std::nullopt);
  const int n = s.network.node_count;
  if (format == NetworkFormat::pajek) {
    throw FatalError("Attribute file \"" + o.attributes_path +
                     "\": a Pajek file cannot hold attributes; give a CSV table or a record file.");
  }
  s.files.push_back({"attributes", o.attributes_path, std::string(network_format_name(format))});
  if (format == NetworkFormat::record) {
    const int count =
        o.attribute_count ? *o.attribute_count : attributes_in_format_line(o.attributes_path);
    DataFile file(open_for_reading(o.attributes_path), o.attributes_path);
    s.attributes = read_attribute_file(file, std::min(count, max_attrs));
    int without = 0;
    for (int i = 1; i <= n; ++i) {
      bool any = false;
      for (int a = 1; a <= max_attrs; ++a) any = any || s.attributes->of(i, a) != 0;
      without += any ? 0 : 1;
    }
    if (without > 0) {
      s.notes.push_back({"nodes_without_attributes",
                         std::to_string(without) + " of the " + std::to_string(n) +
                             " nodes have no attribute value (0) in " + o.attributes_path +
                             ": they belong to no category and no block."});
    }
    return;
  }
  if (o.attribute_count) {
    throw UsageError("--attribute-count is for record-format attribute files; " +
                     o.attributes_path + " names its columns in its header");
  }
  std::unique_ptr<std::istream> in = open_for_reading(o.attributes_path);
  AttributeTable table = read_attribute_table(*in, o.attributes_path, format, s.labels, n);
  s.attributes = std::move(table.attributes);
  s.attribute_names = std::move(table.names);
  if (table.nodes_without_row > 0) {
    s.notes.push_back({"nodes_without_attributes",
                       std::to_string(table.nodes_without_row) + " of the " + std::to_string(n) +
                           " nodes have no row in " + o.attributes_path +
                           ": they have no attribute value and belong to no block."});
  }
  if (table.rows_not_in_network > 0) {
    s.notes.push_back({"attribute_rows_not_in_network",
                       std::to_string(table.rows_not_in_network) + " rows of " + o.attributes_path +
                           " name nodes that are not in the network; they "
                           "are left out."});
  }
}

int blocking_attribute(const StudyOptions& o, const Study& s) {
  const NodeAttributes& a = *s.attributes;
  int attribute = 0;
  const auto named = std::find(s.attribute_names.begin(), s.attribute_names.end(), o.block_by);
  if (named != s.attribute_names.end()) {
    attribute = static_cast<int>(named - s.attribute_names.begin()) + 1;
  } else {
    attribute = parse_positive(o.block_by);
  }
  if (attribute < 1 || attribute > max_attrs) {
    std::string known;
    for (const std::string& name : s.attribute_names) known += (known.empty() ? "" : ", ") + name;
    throw UsageError("--block-by " + o.block_by + ": no such attribute in " + o.attributes_path +
                     (known.empty() ? " (give its number)" : " (its attributes: " + known + ")"));
  }
  if (attribute > a.usable_count) {
    throw UsageError("--block-by " + o.block_by + ": attribute " + std::to_string(attribute) +
                     " cannot block: only the first " + std::to_string(a.usable_count) +
                     " attributes of " + o.attributes_path +
                     " have categories (a positive value) in every attribute before them");
  }
  const int blocks = a.largest[static_cast<std::size_t>(attribute - 1)];
  if (blocks > max_blocks) {
    throw UsageError("--block-by " + o.block_by + ": attribute " + std::to_string(attribute) +
                     " has " + std::to_string(blocks) + " categories; a blocking has at most 16");
  }
  return attribute;
}

void settle_blocking(const StudyOptions& o, Study& s) {
  if (o.block_by.empty()) {
    if (!o.block_structure_path.empty()) {
      throw UsageError("--block-structure needs --block-by");
    }
    return;
  }
  if (!s.attributes) throw UsageError("--block-by needs --attributes");
  const int attribute = blocking_attribute(o, s);
  const int blocks = s.attributes->largest[static_cast<std::size_t>(attribute - 1)];
  s.blocking = Blocking::identity(attribute, blocks);
  if (!o.block_structure_path.empty()) {
    std::unique_ptr<std::istream> in = open_for_reading(o.block_structure_path);
    const auto rows = read_block_structure(*in, o.block_structure_path, blocks);
    for (int r = 1; r <= blocks; ++r) {
      for (int c = 1; c <= blocks; ++c) {
        s.blocking.structure(r, c) = static_cast<std::int16_t>(
            rows[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)]);
      }
    }
    s.blocking.count_block_types();
    s.files.push_back({"block_structure", o.block_structure_path, "matrix"});
  }
  const int n = s.network.node_count;
  s.blocks = dyad_blocks(s.blocking, *s.attributes, n);
  const int unblocked = count_unblocked_nodes(s.blocking, *s.attributes, n);
  if (unblocked > 0) {
    s.notes.push_back({"nodes_without_block",
                       std::to_string(unblocked) + (unblocked == 1 ? " node has" : " nodes have") +
                           " no valid block (value outside 1 to " + std::to_string(blocks) + "); " +
                           (unblocked == 1 ? "its" : "their") + " dyads belong to no block type."});
  }
}

void read_covariate(const StudyOptions& o, Study& s) {
  const NetworkFormat format = format_of_file(o.covariate_path, std::nullopt);
  s.files.push_back({"covariate", o.covariate_path, std::string(network_format_name(format))});
  const int n = s.network.node_count;
  if (format == NetworkFormat::record) {
    DataFile file(open_for_reading(o.covariate_path), o.covariate_path);
    s.comparative = read_comparative_file(file, n);
  } else {
    std::unique_ptr<std::istream> in = open_for_reading(o.covariate_path);
    s.comparative = read_covariate_list(*in, o.covariate_path, format, s.labels, n, o.header);
  }
}

}  // namespace

std::string Study::blocking_attribute_name() const {
  if (!blocking.in_use()) return std::string();
  const auto a = static_cast<std::size_t>(blocking.attribute - 1);
  return a < attribute_names.size() ? attribute_names[a] : std::string();
}

NetworkFormat format_of_file(const std::string& path, std::optional<NetworkFormat> named) {
  if (named) return *named;
  return detect_network_format(path, head_of(path));
}

Study load_study(const StudyOptions& o) {
  Study s;
  s.include_diagonal = o.diagonal;
  read_network(o, s);
  if (!o.attributes_path.empty()) {
    read_attributes(o, s);
  } else if (o.attribute_count || !o.block_by.empty()) {
    throw UsageError(o.attribute_count ? "--attribute-count needs --attributes"
                                       : "--block-by needs --attributes");
  }
  settle_blocking(o, s);
  if (!o.covariate_path.empty()) read_covariate(o, s);
  return s;
}

}  // namespace tarn
