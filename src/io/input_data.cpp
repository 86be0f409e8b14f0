#include "io/input_data.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "network/attribute_file.h"
#include "network/attribute_table.h"
#include "network/block_structure_file.h"
#include "network/comparative_file.h"
#include "network/covariate_list.h"
#include "network/fatal_error.h"
#include "network/file_access.h"
#include "network/network_file.h"
#include "network/network_shape.h"
#include "network/pair_rows.h"
#include "network/pajek_file.h"
#include "network/record_format.h"
#include "network/setting_error.h"
#include "network/single_links.h"
#include "network/undirected_network.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

// A data file opened once: its first bytes, for the detection of its format, and its stream back
// at the start, for its reader.
struct OpenedFile {
  std::unique_ptr<std::istream> stream;
  std::string head;
};

// `text`, when given, is the file's content, held in memory (a network built from arrays): it is
// read as the file `path` would be, and `path` names it in messages.
OpenedFile open_with_head(const std::string& path, const std::shared_ptr<const std::string>& text) {
  if (text) {
    return {std::make_unique<std::istringstream>(*text), text->substr(0, 4096)};
  }
  OpenedFile file{open_for_reading(path), std::string(4096, '\0')};
  file.stream->read(file.head.data(), static_cast<std::streamsize>(file.head.size()));
  file.head.resize(static_cast<std::size_t>(file.stream->gcount()));
  file.stream->clear();
  file.stream->seekg(0);
  if (!*file.stream) file.stream = open_for_reading(path);
  return file;
}

// The network format a file is read in: the one named, or the one its name and content show.
NetworkFormat format_of(const OpenedFile& file, const std::string& path,
                        std::optional<NetworkFormat> named) {
  return named ? *named : detect_network_format(path, file.head);
}

// A record file's attribute count: the integer fields of its format line, less the id. The line
// comes from the file's first bytes, as the reader takes it: without the carriage return before
// its end, and cut to the width of a format line.
int attributes_in_format_line(const std::string& head) {
  std::string line = head.substr(0, head.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
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

// The options that are for edge lists alone, with a file of another format, and --labels with
// --nodes.
void check_edge_list_options(const StudyOptions& o, NetworkFormat format) {
  const bool edge_list = format != NetworkFormat::record && format != NetworkFormat::pajek;
  if (!edge_list &&
      (!o.columns.empty() || o.node_count > 0 || o.labels || o.two_mode || !o.response.empty())) {
    throw SettingError({!o.columns.empty() ? "columns"
                        : o.node_count > 0 ? "nodes"
                        : o.labels         ? "labels"
                        : o.two_mode       ? "two_mode"
                                           : "response"},
                       "{0} is for edge lists; " + o.network_path + " is a " +
                           std::string(network_format_name(format)) + " file");
  }
  if (o.labels && o.node_count > 0) {
    throw SettingError({"labels", "nodes"},
                       "{0} reads the ids of an edge list as labels, {1=}N as the node numbers "
                       "1..N; give one of them");
  }
}

// The network as its file gives it, its labels and the notes of its rows; returns the name of
// its source for messages.
std::string read_network_as_given(const StudyOptions& o, NetworkFormat format, OpenedFile& opened,
                                  InputData& s, std::vector<MissingRows>& missing,
                                  std::string& within_mode_row, std::vector<CountRow>& counts) {
  if (format == NetworkFormat::record) {
    DataFile file(std::move(opened.stream), o.network_path);
    PairRows rows;
    s.network = read_network_file(file, {}, &rows, command_line_limits);
    s.notes =
        rows.warnings(o.network_path, o.undirected, [](int node) { return std::to_string(node); });
    return network_file_source(file);
  }
  LabelledNetwork read =
      format == NetworkFormat::pajek
          ? read_pajek(*opened.stream, o.network_path, o.undirected, command_line_limits)
          : read_edge_list(
                *opened.stream, o.network_path, format,
                EdgeListOptions{o.header, o.columns, o.node_count, o.labels, o.undirected,
                                o.bipartite, o.two_mode, command_line_limits, o.response});
  s.network = std::move(read.network);
  s.labels = std::move(read.labels);
  s.notes = std::move(read.warnings);
  within_mode_row = std::move(read.within_mode_row);
  if (!read.missing.empty()) missing.push_back({o.network_path, std::move(read.missing)});
  counts = std::move(read.counts);
  return "Network file \"" + o.network_path + "\"";
}

void make_undirected(const StudyOptions& o, const std::string& source, InputData& s) {
  // The file's own modes (Pajek's n1, --two-mode's columns), which the store built anew drops.
  const int file_first_mode = s.network.bipartite;
  UndirectedNetwork undirected = undirected_network(s.network, source);
  s.network = std::move(undirected.network);
  if (undirected.self_links > 0) {
    s.notes.push_back(Warning{"self_links_left_out"}
                          .add_count("links", undirected.self_links)
                          .add_text("reason", "undirected"));
  }
  if (o.bipartite > 0 || file_first_mode > 0) return;  // two modes already said
  for (Warning& w : undirected_shape_warnings(s.network, o.network_path)) {
    s.notes.push_back(std::move(w));
  }
}

// A file that names no line of a link (a record-format file, a Pajek file without n1) is checked
// once read: a link within a mode is refused naming its nodes.
void check_modes(const StudyOptions& o, const InputData& s) {
  const int first = s.network.bipartite;
  if (first == 0) return;
  for (int a = 1; a <= s.network.node_count; ++a) {
    for (const node_id entry : s.network.out_list(a)) {
      const int b = std::abs(entry);
      if ((a <= first) != (b <= first)) continue;
      throw SettingError({"bipartite"}, "{0=}" + std::to_string(first) + ": the link " +
                                            s.labels.name(a) + " " + s.labels.name(b) + " of \"" +
                                            o.network_path + "\" joins two nodes of the " +
                                            (a <= first ? "first" : "second") + " mode");
    }
  }
}

// The first mode of a two-mode network: --bipartite, or a Pajek file's *Vertices n n1 (0: one
// mode). Refused: the two differing, or a first mode that leaves no node for the second.
int first_mode(const StudyOptions& o, int pajek_first_mode, int node_count) {
  if (o.bipartite > 0 && pajek_first_mode > 0 && o.bipartite != pajek_first_mode) {
    throw SettingError({"bipartite"}, "{0=}" + std::to_string(o.bipartite) + ": the file \"" +
                                          o.network_path + "\" declares *Vertices with " +
                                          std::to_string(pajek_first_mode) +
                                          " nodes in the first mode");
  }
  const int first = o.bipartite > 0 ? o.bipartite : pajek_first_mode;
  if (first > 0 && o.diagonal) {
    throw SettingError({"diagonal"}, "{0}: the file \"" + o.network_path +
                                         "\" is a two-mode network (*Vertices n n1), which has "
                                         "no self-pairs (i, i) among its dyads");
  }
  if (first > 0 && first >= node_count) {
    throw SettingError({"bipartite"}, "{0=}" + std::to_string(first) + ": the network has " +
                                          std::to_string(node_count) +
                                          " nodes, which leaves none for the second mode (give "
                                          "--nodes N for nodes no link names)");
  }
  return first;
}

// One network per file: a link given twice is one link; a self-link is no dyad without
// --diagonal.
void make_single_links(const StudyOptions& o, const std::string& source, InputData& s) {
  SingleLinks single = single_links(std::move(s.network), o.diagonal, source);
  s.network = std::move(single.network);
  if (single.self_links > 0) {
    s.notes.push_back(Warning{"self_links_left_out"}
                          .add_count("links", single.self_links)
                          .add_text("reason", "no_diagonal"));
  }
  // What the shape suggests is said of a network taken as directed only.
  const bool edges_said = std::any_of(s.notes.begin(), s.notes.end(), [](const Warning& w) {
    return w.code == "looks_undirected";
  });
  for (Warning& w : network_shape_warnings(s.network, o.network_path)) {
    if (!(edges_said && w.code == "looks_undirected")) s.notes.push_back(std::move(w));
  }
}

void note_declared_isolates(const StudyOptions& o, InputData& s) {
  int isolates = 0;
  for (int a = 1; a <= s.network.node_count; ++a) {
    isolates += s.network.out(a) == 0 && s.network.in(a) == 0 ? 1 : 0;
  }
  if (isolates > 0) {
    s.notes.push_back(Warning{"isolates_declared"}
                          .add_count("isolates", isolates)
                          .add_count("nodes", o.node_count));
  }
}

// --two-mode names the nodes by the edge list's labels, each mode its own: what numbers the
// nodes otherwise, or makes self-pairs dyads, is refused beside it.
void check_two_mode_options(const StudyOptions& o) {
  struct Clash {
    bool given;
    const char* option;
    const char* why;
  };
  const Clash clashes[] = {
      {o.bipartite > 0, "bipartite", "the first mode's nodes are those the senders name"},
      {o.node_count > 0, "nodes", "the nodes are those the labels name"},
      {o.diagonal, "diagonal", "a two-mode network has no self-pairs (i, i) among its dyads"},
      {!o.covariate_path.empty(), "covariate",
       "a comparative network's file names the nodes by one set of labels"},
  };
  for (const Clash& clash : clashes) {
    if (!clash.given) continue;
    throw SettingError({clash.option, "two_mode"},
                       std::string("{0} with {1}: ") + clash.why + "; give {0} or {1}, not both");
  }
}

// The counts of the rows read with --response, one per dyad: self-pairs are no dyads (left out,
// as their links are); undirected, the rows i,j and j,i of one pair must agree.
void settle_counts(const StudyOptions& o, const std::vector<CountRow>& rows, InputData& s) {
  auto counts = std::make_shared<ValuedGraph>(s.network.node_count, s.directed);
  std::map<std::pair<int, int>, long> line_of;
  for (const CountRow& row : rows) {
    if (row.sender == row.receiver) continue;
    int a = row.sender, b = row.receiver;
    if (!s.directed && a > b) std::swap(a, b);
    const int before = counts->value(a, b);
    if (before != 0 && before != row.value) {
      throw FatalError("Input error in \"" + o.network_path + "\", line " +
                           std::to_string(row.line) + ": the pair " + s.labels.name(a) + " " +
                           s.labels.name(b) + " has the count " + std::to_string(row.value) +
                           " here and " + std::to_string(before) + " on line " +
                           std::to_string(line_of[{a, b}]) + "; an undirected pair has one count.",
                       {o.network_path});
    }
    counts->set(a, b, row.value);
    line_of.emplace(std::pair{a, b}, row.line);
  }
  s.counts = std::move(counts);
  s.response = o.response;
}

// Returns true when the network is an edge list whose nodes are the numbers its labels are
// (without --nodes or --labels): numbers that no link names are isolated nodes then.
bool read_network(const StudyOptions& o, InputData& s, std::vector<MissingRows>& missing) {
  // Numbered nodes up to the command line's limit (edge lists and Pajek files say otherwise).
  s.labels = NodeLabels::numbered_up_to(command_line_limits.nodes);
  if (o.network_path.empty()) {
    // simulate --nodes N without a network: the empty network of N nodes.
    s.network = with_node_count(Network{}, o.node_count, "--nodes");
    s.network.bipartite = first_mode(o, 0, s.network.node_count);
    if (s.network.bipartite > 0) s.directed = false;
    s.files.push_back({"network", "", "empty"});
    return false;
  }
  OpenedFile opened = open_with_head(o.network_path, o.network_text);
  const NetworkFormat format = format_of(opened, o.network_path, o.format);
  s.files.push_back({"network", o.network_path, std::string(network_format_name(format))});
  check_edge_list_options(o, format);
  std::string within_mode_row;
  std::vector<CountRow> counts;
  const std::string source =
      read_network_as_given(o, format, opened, s, missing, within_mode_row, counts);
  const int pajek_first_mode = s.network.bipartite;
  if (o.undirected || pajek_first_mode > 0) {
    make_undirected(o, source, s);
  } else {
    make_single_links(o, source, s);
  }
  s.network.bipartite = first_mode(o, pajek_first_mode, s.network.node_count);
  if (!within_mode_row.empty()) {
    throw SettingError({"bipartite"},
                       "{0=}" + std::to_string(o.bipartite) + ": " + within_mode_row);
  }
  check_modes(o, s);
  if (s.network.bipartite > 0) s.directed = false;
  if (o.node_count > 0) note_declared_isolates(o, s);
  if (!o.response.empty()) settle_counts(o, counts, s);
  const bool edge_list = format != NetworkFormat::record && format != NetworkFormat::pajek;
  return edge_list && s.labels.numbered() && o.node_count == 0;
}

// An edge list numbered by its labels makes every lower number a node: ids such as 101..105 give
// 100 isolated nodes that no file names. When more than half of the numbers 1..n name no link and
// no row of the attribute table, the numbers are not node numbers but labels, or the nodes are
// declared elsewhere: refused, naming both ways out.
void check_numbering(const StudyOptions& o, const InputData& s,
                     const std::vector<bool>& node_has_row) {
  const int n = s.network.node_count;
  // A node of a missing dyad is named too.
  std::vector<bool> in_missing(static_cast<std::size_t>(n) + 1, false);
  for (const auto& [i, j] : s.missing_dyads) {
    in_missing[static_cast<std::size_t>(i)] = in_missing[static_cast<std::size_t>(j)] = true;
  }
  int unnamed = 0, first = 0, second = 0;
  for (int a = 1; a <= n; ++a) {
    const auto k = static_cast<std::size_t>(a - 1);
    if (s.network.out(a) + s.network.in(a) > 0 || (k < node_has_row.size() && node_has_row[k]) ||
        in_missing[static_cast<std::size_t>(a)]) {
      continue;
    }
    ++unnamed;
    if (first == 0) {
      first = a;
    } else if (second == 0) {
      second = a;
    }
  }
  if (2 * unnamed <= n) return;
  throw FatalError(
      "Network file \"" + o.network_path + "\": its ids are read as node numbers (1 to " +
          std::to_string(n) + "), but " + std::to_string(unnamed) + " of those " +
          std::to_string(n) + " numbers name no node of a link" +
          (o.attributes_path.empty() ? "" : " or of " + o.attributes_path) + " (" +
          std::to_string(first) + (second > 0 ? ", " + std::to_string(second) : "") +
          ", ...): they would be isolated nodes of the network. Give --labels to read the ids as "
          "labels (as networkx does: the nodes are those the file names), or --nodes " +
          std::to_string(n) + " to keep the numbering, isolated nodes and all.",
      {o.network_path});
}

// A record-format attribute file: its attributes, named by number as the terms name them in a
// file without a header.
void read_attribute_records(const StudyOptions& o, OpenedFile& opened, InputData& s,
                            std::vector<bool>& node_has_row) {
  const int n = s.network.node_count;
  const int count = o.attribute_count ? *o.attribute_count : attributes_in_format_line(opened.head);
  DataFile file(std::move(opened.stream), o.attributes_path);
  // Records of ids 1..2000 as the dialogue reads them, and of every node of a larger network.
  s.attributes = read_attribute_file(file, std::min(count, max_attrs), std::max(max_nodes, n));
  s.covariates.node_count = n;
  s.covariates.source = o.attributes_path;
  for (int a = 1; a <= std::min(count, max_attrs); ++a) {
    AttributeColumn column{std::to_string(a), std::vector<std::string>(std::size_t(n))};
    for (int i = 1; i <= n; ++i) {
      const int value = s.attributes->of(i, a);
      if (value != 0) column.value[std::size_t(i - 1)] = std::to_string(value);
    }
    s.covariates.columns.push_back(std::move(column));
  }
  int without = 0;
  for (int i = 1; i <= n; ++i) {
    bool any = false;
    for (int a = 1; a <= max_attrs; ++a) any = any || s.attributes->of(i, a) != 0;
    without += any ? 0 : 1;
    node_has_row.push_back(any);
  }
  if (without > 0) {
    s.notes.push_back(Warning{"nodes_without_attributes"}
                          .add_count("nodes", without)
                          .add_count("of", n)
                          .add_text("file", o.attributes_path)
                          .add_count("record", 1));
  }
}

// An attribute table with a header: its ids may declare isolated nodes.
void read_attribute_columns(const StudyOptions& o, OpenedFile& opened, NetworkFormat format,
                            InputData& s, std::vector<bool>& node_has_row) {
  const int n = s.network.node_count;
  // A two-mode network with labels of its own takes the table's rows to its modes.
  AttributeTable table =
      read_attribute_table(*opened.stream, o.attributes_path, format, s.labels, n, true,
                           command_line_limits.nodes, o.two_mode ? s.network.bipartite : 0);
  if (table.node_count > n) {
    // Ids of the table that no link names are nodes too: isolated ones.
    s.network = with_node_count(s.network, table.node_count, o.network_path);
    for (const std::string& label : table.new_labels) s.labels.add(label);
    s.notes.push_back(Warning{"isolates_from_attributes"}
                          .add_count("nodes", table.declared_nodes)
                          .add_text("file", o.attributes_path));
  }
  node_has_row = table.node_has_row;
  s.attributes = std::move(table.attributes);
  s.attribute_names = std::move(table.names);
  s.covariates = std::move(table.covariates);
  if (table.nodes_without_row > 0) {
    s.notes.push_back(Warning{"nodes_without_attributes"}
                          .add_count("nodes", table.nodes_without_row)
                          .add_count("of", table.node_count)
                          .add_text("file", o.attributes_path)
                          .add_count("record", 0));
  }
  if (table.rows_not_in_network > 0) {
    s.notes.push_back(Warning{"attribute_rows_not_in_network"}
                          .add_count("rows", table.rows_not_in_network)
                          .add_text("file", o.attributes_path));
  }
}

// `node_has_row` receives, per node, whether the file gives it a row (a record, or a row of a
// table).
void read_attributes(const StudyOptions& o, InputData& s, std::vector<bool>& node_has_row) {
  OpenedFile opened = open_with_head(o.attributes_path, o.attributes_text);
  const NetworkFormat format = format_of(opened, o.attributes_path, o.attributes_format);
  if (format == NetworkFormat::pajek) {
    throw FatalError(
        "Attribute file \"" + o.attributes_path +
            "\": a Pajek file cannot hold attributes; give a CSV table or a record file.",
        {o.attributes_path});
  }
  s.files.push_back({"attributes", o.attributes_path, std::string(network_format_name(format))});
  if (format == NetworkFormat::record) {
    read_attribute_records(o, opened, s, node_has_row);
    return;
  }
  if (o.attribute_count) {
    throw SettingError({"attribute_count"}, "{0} is for record-format attribute files; " +
                                                o.attributes_path +
                                                " names its columns in its header");
  }
  read_attribute_columns(o, opened, format, s, node_has_row);
}

int blocking_attribute(const StudyOptions& o, const InputData& s) {
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
    throw SettingError(
        {"block_by"},
        "{0=}" + o.block_by + ": no such attribute in " + o.attributes_path +
            (known.empty() ? " (give its number)" : " (its attributes: " + known + ")"));
  }
  if (attribute > a.usable_count) {
    throw SettingError({"block_by"},
                       "{0=}" + o.block_by + ": attribute " + std::to_string(attribute) +
                           " cannot block: only the first " + std::to_string(a.usable_count) +
                           " attributes of " + o.attributes_path +
                           " have categories (a positive value) in every attribute before them");
  }
  const int blocks = a.largest[static_cast<std::size_t>(attribute - 1)];
  if (blocks > max_blocks) {
    throw SettingError({"block_by"},
                       "{0=}" + o.block_by + ": attribute " + std::to_string(attribute) + " has " +
                           std::to_string(blocks) + " categories; a blocking has at most 16");
  }
  return attribute;
}

void settle_blocking(const StudyOptions& o, InputData& s) {
  if (o.block_by.empty()) {
    if (!o.block_structure_path.empty()) {
      throw SettingError({"block_structure", "block_by"}, "{0} needs {1}");
    }
    return;
  }
  if (!s.attributes) throw SettingError({"block_by", "attributes"}, "{0} needs {1}");
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
    s.notes.push_back(
        Warning{"nodes_without_block"}.add_count("nodes", unblocked).add_count("blocks", blocks));
  }
}

void read_covariate(const StudyOptions& o, InputData& s) {
  OpenedFile opened = open_with_head(o.covariate_path, nullptr);
  const NetworkFormat format = format_of(opened, o.covariate_path, std::nullopt);
  s.files.push_back({"covariate", o.covariate_path, std::string(network_format_name(format))});
  const int n = s.network.node_count;
  if (format == NetworkFormat::record) {
    DataFile file(std::move(opened.stream), o.covariate_path);
    s.comparative = read_comparative_file(file, n);
  } else {
    s.comparative =
        read_covariate_list(*opened.stream, o.covariate_path, format, s.labels, n, o.header);
  }
}

// The dyads the network file gives as NA and those --missing lists, once the nodes are known
// (an attribute table may add isolated ones).
void settle_missing(const StudyOptions& o, InputData& s, std::vector<MissingRows>& missing) {
  if (!o.missing_path.empty()) {
    OpenedFile opened = open_with_head(o.missing_path, nullptr);
    const NetworkFormat format = format_of(opened, o.missing_path, std::nullopt);
    s.files.push_back({"missing", o.missing_path, std::string(network_format_name(format))});
    missing.push_back(
        {o.missing_path,
         read_missing_list(*opened.stream, o.missing_path, format, s.labels, s.network.node_count,
                           HeaderRule::detect, o.two_mode ? s.network.bipartite : 0)});
  }
  s.missing_dyads =
      settle_missing_dyads(s.network, missing, s.directed, s.include_diagonal, s.labels);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> StudyOptions::input_files() const {
  return {{network_path, "the network argument"},
          {attributes_path, "--attributes"},
          {block_structure_path, "--block-structure"},
          {covariate_path, "--covariate"},
          {missing_path, "--missing"}};
}

std::string InputData::blocking_attribute_name() const {
  if (!blocking.in_use()) return std::string();
  const auto a = static_cast<std::size_t>(blocking.attribute - 1);
  return a < attribute_names.size() ? attribute_names[a] : std::string();
}

InputData load_input_data(const StudyOptions& given) {
  StudyOptions o = given;
  if (o.two_mode) {
    check_two_mode_options(o);
    o.undirected = true;  // as with --bipartite
  }
  if (o.bipartite > 0) {
    if (o.diagonal) {
      throw SettingError({"diagonal", "bipartite"},
                         "{0}: a two-mode network has no self-pairs (i, i) among its dyads; give "
                         "{0} or {1}, not both");
    }
    if (o.labels) {
      throw SettingError(
          {"labels", "bipartite"},
          "{0}: the nodes of a two-mode network are numbered (1..N1 the first mode); "
          "give {0} or {1}, not both");
    }
    o.undirected = true;  // links join a node of each mode, either way round
  }
  if (o.undirected && o.diagonal) {
    throw SettingError({"diagonal", "undirected"},
                       "{0}: an undirected network has no self-pairs (i, i) among its dyads; give "
                       "{0} or {1}, not both");
  }
  if (!o.response.empty() &&
      (o.two_mode || o.bipartite > 0 || o.diagonal || o.network_path.empty())) {
    throw SettingError({"response", o.two_mode        ? "two_mode"
                                    : o.bipartite > 0 ? "bipartite"
                                    : o.diagonal      ? "diagonal"
                                                      : "nodes"},
                       o.network_path.empty()
                           ? "{0} names the column of counts of a network file; give the file"
                           : "{0}: models of counts are of one-mode networks without self-pairs; "
                             "leave out {1}");
  }
  if (!o.reference.empty() && o.response.empty()) {
    throw SettingError({"reference", "response"},
                       "{0} is the reference measure of a model of counts; name the column of "
                       "counts with {1} (a binary network's reference is Bernoulli)");
  }
  InputData s;
  s.include_diagonal = o.diagonal;
  s.directed = !o.undirected;
  std::vector<MissingRows> missing;
  const bool numbered_by_labels = read_network(o, s, missing);
  std::vector<bool> node_has_row;
  if (!o.attributes_path.empty()) {
    read_attributes(o, s, node_has_row);
  } else if (o.attribute_count || !o.block_by.empty()) {
    throw SettingError({o.attribute_count ? "attribute_count" : "block_by", "attributes"},
                       "{0} needs {1}");
  }
  settle_missing(o, s, missing);
  if (s.counts && !s.missing_dyads.empty()) {
    auto counts = std::make_shared<ValuedGraph>(*s.counts);
    counts->set_missing(s.missing_dyads);
    s.counts = std::move(counts);
  }
  if (numbered_by_labels) check_numbering(o, s, node_has_row);
  settle_blocking(o, s);
  if (!o.covariate_path.empty()) read_covariate(o, s);
  return s;
}

}  // namespace tarn
