#include <cmath>

#include "api/classic_internals.h"
#include "model/model.h"
#include "mple/pseudo_likelihood.h"

namespace tarnwick {

static_assert(classic_first_newton_pass == tarn::first_newton_pass);
static_assert(classic_final_pass == tarn::final_pass);

namespace {

// The core's study of the library's: the model's terms read the blocks of the nodes and the
// comparative network only when the model has block parameters or type 16.
tarn::Study core_study(const ClassicStudy& s) {
  const tarn::KernelLayout& layout = s.model.data().layout;
  tarn::Study study;
  tarn::TermContext context;
  context.node_count = s.network.node_count();
  if (layout.uses(tarn::ConfigurationType::covariate)) {
    if (!s.comparative.present()) {
      throw ArgumentError("the model has the comparative network, and none was read");
    }
    study.comparative = s.comparative.data()->network;
    context.comparative =
        std::make_shared<const tarn::DyadValues>(tarn::DyadValues::of(*study.comparative));
  }
  if (layout.has_block_parameter()) {
    const tarn::NodeAttributes no_values;
    const tarn::NodeAttributes& values =
        s.attributes.data() != nullptr ? s.attributes.data()->attributes : no_values;
    study.blocks = std::make_shared<const tarn::DyadBlocks>(
        tarn::dyad_blocks(tarn::core_blocking(s.blocking), values, context.node_count));
    context.blocks = study.blocks;
    context.block_type_count = layout.block_type_count;
  }
  if (context.node_count > 0) study.network = s.network.data().network;
  study.include_diagonal = s.include_diagonal;
  study.model =
      tarn::build_model(s.model.data().core_description, layout.block_type_count, context);
  return study;
}

ClassicFitEnd library_end(tarn::FitEnd end) {
  switch (end) {
    case tarn::FitEnd::dependent:
      return ClassicFitEnd::dependent;
    case tarn::FitEnd::wxsq_singular:
      return ClassicFitEnd::wxsq_singular;
    case tarn::FitEnd::completed:
      break;
  }
  return ClassicFitEnd::completed;
}

}  // namespace

ClassicFit fit_classic(const ClassicStudy& study, const ClassicPassObserver& pass_started) {
  return tarn::with_library_errors([&] {
    tarn::FitObserver observer;
    observer.pass_started = pass_started;
    auto data = std::make_shared<ClassicFit::Data>();
    data->result = tarn::fit_pseudo_likelihood(core_study(study), observer);
    data->model = study.model;
    data->blocking = tarn::core_blocking(study.blocking);
    const tarn::FitResult& result = data->result;
    ClassicFit fit;
    fit.end = library_end(result.end);
    if (fit.end == ClassicFitEnd::completed) {
      for (int p = 1; p <= result.parameter_count; ++p) {
        fit.estimates.push_back(result.estimate(p));
        fit.standard_errors.push_back(std::sqrt(result.covariance(p, p)));
      }
      fit.log_likelihood = result.loglik;
      fit.newton_passes = result.newton_passes;
    }
    fit.data = std::move(data);
    return fit;
  });
}

}  // namespace tarnwick
