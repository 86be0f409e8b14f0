#pragma once
// The case-control pseudo-likelihood of a network too large to sweep: every linked dyad (a case,
// weight 1) and a sample of the empty dyads (the controls), each control weighted by the empty
// dyads it stands for. The change statistics are asked of those dyads only, so the cost grows
// with the links and the sample, not with n^2. The rows are counted by (response, statistics),
// the weighted logistic regression over them is maximised by the Newton passes of newton.h, and
// the standard errors add to the inverse Hessian the sampling error of the controls: the variance
// of their weighted score contributions, in sandwich form. With every empty dyad as a control,
// each of weight 1, the fit is the full pseudo-likelihood up to the order of the additions.
//
// Where the controls come from is the caller's: chunks of dyads, filled on demand (a seeded
// draw, or every empty dyad). The chunks are shared among threads; the rows are integer counts
// merged and sorted, so the result does not depend on the threads.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "model/study.h"
#include "mple/dyad_classes.h"
#include "mple/fit_result.h"

namespace tarn {

// Dyads handed out in numbered chunks: fill(c, dyads) replaces `dyads` with those of chunk c,
// 0 <= c < count; directed (i, j), undirected i < j. fill is called from several threads at once.
struct DyadChunks {
  std::int64_t count = 0;
  std::function<void(std::int64_t chunk, std::vector<std::pair<int, int>>& dyads)> fill;
};

struct CaseControlRows {
  DyadClassRows rows;  // the cases' rows (y = 1) and the controls' (y = 0), counted
  std::int64_t linked_dyads = 0;
  std::int64_t empty_dyads = 0;
  std::int64_t controls = 0;      // control dyads counted (draws, with repeats)
  bool every_empty_dyad = false;  // the controls are every empty dyad, once each
  // The empty dyads one control stands for.
  double control_weight() const {
    return every_empty_dyad ? 1.0
                            : static_cast<double>(empty_dyads) / static_cast<double>(controls);
  }
};

// The included dyads of the study that hold a link, and how many they are.
std::int64_t linked_dyad_count(const Study& study, const TermGraph& graph);

// Every empty included dyad, in chunks of senders.
DyadChunks every_empty_dyad(const Study& study, const TermGraph& graph);

// The rows of the linked dyads and of the controls. `every_empty` says that the controls are
// every empty dyad once (the weight is then 1); otherwise they are a sample.
CaseControlRows case_control_rows(const Study& study, const TermGraph& graph,
                                  const DyadChunks& controls, bool every_empty, int threads);

// The weighted fit; its covariance is the inverse Hessian of the weighted pseudo-likelihood.
// The log-likelihood, residuals and classification are weighted sums: estimates of the full
// pseudo-likelihood's figures (exact with every empty dyad).
FitResult fit_case_control(const Study& study, const CaseControlRows& rows);

// The covariance of the estimate due to the sampling of the controls, H^-1 V H^-1: V is the
// variance of the sum of the controls' weighted score contributions (y - p) x, drawn with
// replacement, estimated by their sample covariance. Zero with every empty dyad.
ParamMatrix control_sampling_covariance(const CaseControlRows& rows, const FitResult& fit);

// The study's sample space fixes some dyads at their observed values (model/sample_space.h).
bool fixes_dyads(const Study& study);

// The rows of every free dyad (linked and empty, each of weight 1): the pseudo-likelihood over the
// dyads that vary, those fixed by the sample space left out. Throws UsageError for offset terms.
CaseControlRows free_dyad_rows(const Study& study);

}  // namespace tarn
