#include "network/pajek_file.h"

#include <array>

#include "network/capacity.h"
#include "network/delimited_text.h"
#include "network/fatal_error.h"
#include "network/link_collector.h"
#include "network/pair_rows.h"
#include "network/weights_read_as_ties.h"
#include "numeric/letter_case.h"

namespace tarn {

namespace {

enum class Section { none, vertices, arcs, edges, arcs_list, edges_list };

struct Keyword {
  std::string_view text;
  Section section;
};

constexpr std::array<Keyword, 5> keywords = {{
    {"*vertices", Section::vertices},
    {"*arcs", Section::arcs},
    {"*edges", Section::edges},
    {"*arcslist", Section::arcs_list},
    {"*edgeslist", Section::edges_list},
}};

// A vertex's label from its line: the first field after the vertex number, quoted or not; what
// follows it (coordinates, a shape, attributes as networkx writes them: `club "Mr. Hi"`) is not
// read. A quoted label may hold quotes (networkx writes "Carl "C" D" for the label Carl "C" D):
// it runs to the first later quote after which the line ends or, after blanks, a number follows.
std::string label_of(std::string_view line, std::string_view field) {
  const std::size_t number = line.find_first_not_of(" \t");
  const std::size_t after_number = line.find_first_of(" \t", number);
  const std::size_t open = line.find_first_not_of(" \t", after_number);
  if (open == std::string_view::npos || line[open] != '"') return std::string(field);
  for (std::size_t close = line.find('"', open + 1); close != std::string_view::npos;
       close = line.find('"', close + 1)) {
    std::string_view rest = line.substr(close + 1);
    const std::size_t blanks = rest.find_first_not_of(" \t\r");
    if (blanks == std::string_view::npos)
      return std::string(line.substr(open + 1, close - open - 1));
    if (blanks == 0) continue;  // a quote inside the label
    rest.remove_prefix(blanks);
    const std::string_view next = rest.substr(0, rest.find_first_of(" \t"));
    if (decimal_number(next)) return std::string(line.substr(open + 1, close - open - 1));
  }
  return std::string(field);
}

class PajekReader {
 public:
  PajekReader(std::istream& in, const std::string& file_name,
              const std::function<void(const PajekArc&)>& take, int node_limit)
      : reader_(in, file_name, {Delimiter::blanks, '%', false, true}),
        take_(take),
        node_limit_(node_limit) {}

  PajekVertices read() {
    while (reader_.next()) {
      const auto fields = reader_.fields();
      if (fields[0].starts_with('*')) {
        start_section(fields);
      } else if (section_ == Section::vertices) {
        read_vertex(fields);
      } else if (section_ == Section::none) {
        throw input_error(
            reader_.position(1),
            shown(fields[0]) + " comes before the *Vertices line, which a Pajek file begins with.");
      } else {
        read_arcs(fields);
      }
    }
    if (!have_vertices_) {
      throw input_error({reader_.file_name(), std::max(reader_.lines_read(), 1L)},
                        "the file holds no *Vertices line.");
    }
    PajekVertices vertices;
    vertices.count = vertex_count_;
    vertices.first_mode = first_mode_;
    vertices.lines = reader_.lines_read();
    vertices.has_edges = has_edges_;
    if (any_label_) {
      for (int v = 1; v <= vertex_count_; ++v) {
        std::string& label = labels_[static_cast<std::size_t>(v - 1)];
        if (label.empty()) label = std::to_string(v);
      }
      vertices.labels = std::move(labels_);
    }
    return vertices;
  }

 private:
  void start_section(std::span<const std::string_view> fields) {
    if (same_text_any_case(fields[0], "*network")) return;
    for (const Keyword& keyword : keywords) {
      if (!same_text_any_case(fields[0], keyword.text)) continue;
      if (keyword.section == Section::vertices) {
        declare_vertices(fields);
      } else if (!have_vertices_) {
        throw input_error(
            reader_.position(1),
            shown(fields[0]) + " comes before the *Vertices line, which a Pajek file begins with.");
      }
      section_ = keyword.section;
      return;
    }
    throw input_error(
        reader_.position(1),
        std::string("unknown section ") + shown(fields[0]) +
            "; a Pajek network has *Vertices, *Arcs, *Edges, *Arcslist and *Edgeslist.");
  }

  void declare_vertices(std::span<const std::string_view> fields) {
    if (have_vertices_) {
      throw input_error(reader_.position(1),
                        std::string("a second *Vertices line (the first is on line ") +
                            std::to_string(vertices_line_) + ").");
    }
    const auto count = fields.size() >= 2 ? whole_number(fields[1]) : std::nullopt;
    if (!count || *count < 0) {
      throw input_error(
          reader_.position(2),
          std::string("*Vertices needs the number of vertices, ") +
              (fields.size() >= 2 ? shown(fields[1]) + " is not one." : "a whole number."));
    }
    if (*count > node_limit_) {
      throw capacity_passed(reader_.position(2), std::string("Too many nodes! *Vertices ") +
                                                     std::to_string(*count) + ", but at most " +
                                                     std::to_string(node_limit_) + ".");
    }
    have_vertices_ = true;
    vertices_line_ = reader_.line();
    vertex_count_ = static_cast<int>(*count);
    if (fields.size() >= 3) {
      const auto first = whole_number(fields[2]);
      if (!first || *first < 1 || *first >= *count) {
        throw input_error(reader_.position(3),
                          "*Vertices " + std::to_string(*count) +
                              " gives the first mode of a two-mode network as " + shown(fields[2]) +
                              "; give a number of nodes within 1.." + std::to_string(*count - 1) +
                              ".");
      }
      first_mode_ = static_cast<int>(*first);
    }
    labels_.assign(static_cast<std::size_t>(vertex_count_), std::string());
    vertex_line_.assign(static_cast<std::size_t>(vertex_count_), 0);
  }

  int vertex(std::string_view text, int column) const {
    const auto number = whole_number(text);
    if (!number)
      throw input_error(reader_.position(column), shown(text) + " is not a vertex number.");
    if (*number < 1 || *number > vertex_count_) {
      throw input_error(reader_.position(column), std::string("vertex ") + std::to_string(*number) +
                                                      " is not declared (*Vertices " +
                                                      std::to_string(vertex_count_) + " on line " +
                                                      std::to_string(vertices_line_) + ").");
    }
    return static_cast<int>(*number);
  }

  void read_vertex(std::span<const std::string_view> fields) {
    const int v = vertex(fields[0], 1);
    long& seen = vertex_line_[static_cast<std::size_t>(v - 1)];
    if (seen != 0) {
      throw input_error(reader_.position(1), std::string("vertex ") + std::to_string(v) +
                                                 " is described twice (first on line " +
                                                 std::to_string(seen) + ").");
    }
    seen = reader_.line();
    if (fields.size() >= 2 && !fields[1].empty()) {
      labels_[static_cast<std::size_t>(v - 1)] = label_of(reader_.text(), fields[1]);
      any_label_ = true;
    }
  }

  void give(int sender, int receiver, int receiver_column, double value,
            std::string_view weight_text, bool both_ways) {
    has_edges_ = has_edges_ || both_ways;
    PajekArc arc;
    arc.sender = sender;
    arc.receiver = receiver;
    arc.receiver_column = receiver_column;
    arc.value = value;
    arc.weight_text = weight_text;
    arc.line = reader_.line();
    arc.first_mode = first_mode_;
    arc.sender_label = labels_[static_cast<std::size_t>(sender - 1)];
    arc.receiver_label = labels_[static_cast<std::size_t>(receiver - 1)];
    take_(arc);
    if (both_ways && sender != receiver) {
      std::swap(arc.sender, arc.receiver);
      std::swap(arc.sender_label, arc.receiver_label);
      std::swap(arc.sender_column, arc.receiver_column);
      take_(arc);
    }
  }

  void read_arcs(std::span<const std::string_view> fields) {
    const bool both_ways = section_ == Section::edges || section_ == Section::edges_list;
    if (section_ == Section::arcs_list || section_ == Section::edges_list) {
      const int sender = vertex(fields[0], 1);
      for (std::size_t k = 1; k < fields.size(); ++k) {
        const int column = static_cast<int>(k) + 1;
        give(sender, vertex(fields[k], column), column, 1, {}, both_ways);
      }
      return;
    }
    if (fields.size() < 2) {
      throw input_error(reader_.position(2),
                        "the line names one vertex; an arc or edge needs two.");
    }
    const int sender = vertex(fields[0], 1);
    const int receiver = vertex(fields[1], 2);
    double value = 1;
    std::string_view weight_text;
    if (fields.size() >= 3) {
      const auto weight = decimal_number(fields[2]);
      if (!weight) {
        throw input_error(reader_.position(3),
                          std::string("the weight ") + shown(fields[2]) + " is not a number.");
      }
      value = *weight;
      weight_text = fields[2];
    }
    give(sender, receiver, 2, value, weight_text, both_ways);
  }

  DelimitedReader reader_;
  const std::function<void(const PajekArc&)>& take_;
  Section section_ = Section::none;
  int node_limit_ = max_nodes;
  bool have_vertices_ = false;
  long vertices_line_ = 0;
  int vertex_count_ = 0;
  int first_mode_ = 0;  // *Vertices n n1: a two-mode network
  bool any_label_ = false;
  bool has_edges_ = false;
  std::vector<std::string> labels_;
  std::vector<long> vertex_line_;
};

}  // namespace

PajekVertices read_pajek_arcs(std::istream& in, const std::string& file_name,
                              const std::function<void(const PajekArc&)>& take, int node_limit) {
  return PajekReader(in, file_name, take, node_limit).read();
}

LabelledNetwork read_pajek(std::istream& in, const std::string& file_name, bool undirected,
                           NetworkLimits limits) {
  LinkCollector links(file_name, limits);
  PairRows rows;
  WeightsReadAsTies weights;
  PajekVertices vertices = read_pajek_arcs(in, file_name, [&](const PajekArc& arc) {
    links.set_first_mode(arc.first_mode);
    if (arc.value < 0) {
      throw input_error({file_name, arc.line, 3},
                        "the weight " + shown(arc.weight_text) + " is negative.");
    }
    rows.note(arc.sender, arc.receiver, arc.value, arc.line);
    if (arc.value == 0) return;
    weights.note(arc.value, arc.weight_text);
    links.add(arc.sender, arc.receiver, arc.line);
  });
  LabelledNetwork result;
  result.warnings = rows.warnings(file_name, undirected, [&vertices](int vertex) {
    const std::size_t k = static_cast<std::size_t>(vertex - 1);
    return k < vertices.labels.size() ? vertices.labels[k] : std::to_string(vertex);
  });
  if (auto weighted = weights.warning(file_name)) result.warnings.push_back(*weighted);
  if (vertices.has_edges && !undirected && vertices.first_mode == 0) {  // two modes: undirected
    result.warnings.push_back(Warning{"looks_undirected"}
                                  .add_text("reason", "edges_section")
                                  .add_text("file", file_name));
  }
  result.network = std::move(links).build(vertices.count);
  result.network.bipartite = vertices.first_mode;
  result.labels = vertices.labels.empty() ? NodeLabels::numbered_up_to(limits.nodes)
                                          : NodeLabels(std::move(vertices.labels));
  return result;
}

}  // namespace tarn
