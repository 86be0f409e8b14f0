#include "mcmle/step_length.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "mcmle/sample_moments.h"

namespace tarn {

double hull_step_length(const std::vector<std::vector<double>>& statistics,
                        const std::vector<double>& mean, const std::vector<double>& sd,
                        const std::vector<double>& observed, double margin) {
  const std::size_t p = mean.size();
  std::vector<std::size_t> rows;  // the statistics that vary
  for (std::size_t s = 0; s < p; ++s) {
    if (sd[s] > 0.0) {
      rows.push_back(s);
    } else if (!same_value(observed[s], mean[s])) {
      return 0.0;
    }
  }
  if (rows.empty() || statistics.empty()) return 1.0;
  glp_prob* program = glp_create_prob();
  glp_set_obj_dir(program, GLP_MAX);
  const int networks = static_cast<int>(statistics.size());
  const int q = static_cast<int>(rows.size());
  glp_add_rows(program, q + 1);
  glp_add_cols(program, networks + 1);
  for (int r = 1; r <= q; ++r) glp_set_row_bnds(program, r, GLP_FX, 0.0, 0.0);
  glp_set_row_bnds(program, q + 1, GLP_FX, 1.0, 1.0);
  std::vector<int> index(static_cast<std::size_t>(q) + 2);
  std::vector<double> value(static_cast<std::size_t>(q) + 2);
  for (int k = 1; k <= networks; ++k) {
    glp_set_col_bnds(program, k, GLP_LO, 0.0, 0.0);
    const std::vector<double>& g = statistics[static_cast<std::size_t>(k - 1)];
    for (int r = 1; r <= q; ++r) {
      const std::size_t s = rows[static_cast<std::size_t>(r - 1)];
      index[static_cast<std::size_t>(r)] = r;
      value[static_cast<std::size_t>(r)] = (g[s] - mean[s]) / sd[s];
    }
    index[static_cast<std::size_t>(q) + 1] = q + 1;
    value[static_cast<std::size_t>(q) + 1] = 1.0;
    glp_set_mat_col(program, k, q + 1, index.data(), value.data());
  }
  // The column of t: minus the direction, so that each row reads sum lambda g - t d = mean.
  const int t = networks + 1;
  glp_set_col_bnds(program, t, GLP_LO, 0.0, 0.0);
  glp_set_obj_coef(program, t, 1.0);
  for (int r = 1; r <= q; ++r) {
    const std::size_t s = rows[static_cast<std::size_t>(r - 1)];
    index[static_cast<std::size_t>(r)] = r;
    value[static_cast<std::size_t>(r)] = -(observed[s] - mean[s]) / sd[s];
  }
  glp_set_mat_col(program, t, q, index.data(), value.data());
  glp_smcp parameters;
  glp_init_smcp(&parameters);
  parameters.msg_lev = GLP_MSG_OFF;
  const int code = glp_simplex(program, &parameters);
  const int status = glp_get_status(program);
  double reach = 0.0;
  if (code == 0 && status == GLP_OPT) {
    reach = glp_get_obj_val(program);
  } else if (code == 0 && status == GLP_UNBND) {
    reach = 1.0 + margin;  // only when the observed point is the mean itself
  } else if (code != 0 || (status != GLP_NOFEAS && status != GLP_INFEAS)) {
    glp_delete_prob(program);
    throw std::runtime_error("GLPK could not find the step length");
  }
  glp_delete_prob(program);
  return std::clamp(reach / (1.0 + margin), 0.0, 1.0);
}

}  // namespace tarn
