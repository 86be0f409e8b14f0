#include "io/study_building.h"

#include <limits>
#include <memory>

#include "model/sample_space.h"
#include "network/adjacency_matrix_file.h"
#include "network/comparative_file.h"
#include "network/covariate_list.h"
#include "network/data_file.h"
#include "network/fatal_error.h"
#include "network/file_access.h"
#include "network/network_format.h"
#include "network/pair_rows.h"
#include "network/undirected_network.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

// An edgecov file: a record-format comparative file (whole numbers), a square matrix (or a
// two-mode network's N1 x N2 matrix, as ergm takes it), or an edge list or Pajek file with a
// value column of any real numbers, as the R tool takes any real matrix. A covariate given by
// that name comes first.
std::shared_ptr<const DyadValues> read_dyadic_covariate(const std::string& path, InputData& data,
                                                        const StudyOptions& options) {
  for (const auto& [name, values] : data.named_covariates) {
    if (name == path) return values;
  }
  std::unique_ptr<std::istream> in = open_for_reading(path);
  std::string head(4096, '\0');
  in->read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in->gcount()));
  in = open_for_reading(path);
  const NetworkFormat format = detect_network_format(path, head);
  const int n = data.network.node_count;
  DyadValues values;
  std::string format_name(network_format_name(format));
  if (format == NetworkFormat::record) {
    DataFile file(std::move(in), path);
    values = DyadValues::of(read_comparative_file(file, n));
  } else if (std::optional<DyadValues> matrix =
                 read_adjacency_matrix(*in, path, format, data.labels, n, data.network.bipartite)) {
    values = std::move(*matrix);
    format_name = "matrix";
  } else {
    in = open_for_reading(path);
    values = read_dyad_values(*in, path, format, data.labels, n, options.header);
  }
  data.files.push_back({"edgecov", path, format_name});
  if (!data.directed) {
    UndirectedValues undirected = undirected_values(values);
    values = std::move(undirected.values);
    if (undirected.differing_pairs > 0) {
      data.notes.push_back(Warning{"reverse_rows_differ"}
                               .add_text("file", path)
                               .add_count("pairs", undirected.differing_pairs)
                               .add_text("first", data.labels.name(undirected.first))
                               .add_text("second", data.labels.name(undirected.second))
                               .add_text("value", value_text(undirected.value))
                               .add_text("reverse_value", value_text(undirected.reverse_value))
                               .add_text("of", "covariate"));
    }
  }
  return std::make_shared<const DyadValues>(std::move(values));
}

}  // namespace

TermContext data_term_context(InputData& data, const StudyOptions& options) {
  TermContext context;
  context.directed = data.directed;
  context.node_count = data.network.node_count;
  context.bipartite = data.network.bipartite;
  if (!data.covariates.columns.empty()) context.attributes = &data.covariates;
  context.labels = &data.labels;
  context.dyadic_covariate = [&data, &options](const std::string& path) {
    return read_dyadic_covariate(path, data, options);
  };
  context.network = &data.network;
  return context;
}

Study build_study(const std::string& formula, InputData& data, const StudyOptions& options) {
  TermContext context = data_term_context(data, options);
  Study study;
  if (data.blocks) {
    study.blocks = std::make_shared<const DyadBlocks>(*data.blocks);
    context.blocks = study.blocks;
    context.block_type_count = data.blocking.block_type_count;
  }
  if (data.comparative) {
    study.comparative = std::make_shared<const ComparativeNetwork>(*data.comparative);
    context.comparative = std::make_shared<const DyadValues>(DyadValues::of(*data.comparative));
  }
  try {
    study.model = model_of_formula(formula, context);
  } catch (const TermOfOtherNetworkKind& e) {
    // kstar on a network read as directed: the network may be undirected, its flag forgotten.
    throw FormulaError(
        std::string("--model: ") + e.what() +
        (e.of_undirected ? ", or give --undirected if the network is undirected" : ""));
  } catch (const ModelError& e) {
    throw FormulaError(std::string("--model: ") + e.what());
  }
  const bool covariate_term =
      study.model.kernel && study.model.kernel->uses(ConfigurationType::covariate);
  if (study.model.kernel && covariate_term != data.comparative.has_value()) {
    throw UsageError(covariate_term ? "--model: the covariate term needs --covariate FILE"
                                    : "--covariate: the model has no covariate term (type 16)");
  }
  if (!study.model.kernel) {
    if (data.comparative) {
      throw UsageError(
          "--covariate: the model has no covariate term (type 16); a dyadic "
          "covariate of any model is edgecov(FILE)");
    }
    if (options.diagonal) {
      throw UsageError(
          "--diagonal: the self-pairs are dyads of the sixteen configuration types "
          "only; the model's other terms do not define them");
    }
  }
  for (const std::string& note : study.model.notes) data.notes.push_back(Warning{note});
  study.network = data.network;
  study.include_diagonal = data.include_diagonal;
  if (data.network.bipartite > 0) {
    // Only the dyads between the modes exist: every estimator and the sampler keep to them.
    study.space = std::make_shared<const SampleSpace>(
        two_mode_space(data.network.node_count, data.network.bipartite));
  }
  if (!data.missing_dyads.empty()) {
    study.missing = std::make_shared<const std::vector<std::pair<int, int>>>(data.missing_dyads);
  }
  // No bound on the estimates: a gw degree coefficient may well be 20 to 50.
  study.estimate_bound = std::numeric_limits<double>::infinity();
  study.newton_until_settled = true;
  return study;
}

std::vector<Warning> model_warnings(const Model& model, const StudyOptions& options) {
  if (options.block_by.empty() || (model.kernel && model.kernel->has_block_parameter())) return {};
  return {Warning{"block_by_unused"}.add_text("attribute", options.block_by)};
}

}  // namespace tarn
