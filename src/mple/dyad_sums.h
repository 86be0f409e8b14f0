#pragma once
// The sums of one sweep of the fit, taken over the included dyads of one sender at a time:
//
//   matrix(k, l) += (w * x(k)) * x(l)     for the parameters k, l = 1..m
//   vector(k)    += (w * x(k)) * e        for the parameters k = 1..m
//
// where x(k) is the dyad's statistic of parameter k, w its weight and e its extra factor (the
// response, a working response or a logit, whatever the pass needs). Every sum starts from +0.0
// and receives its terms in sweep order (senders ascending, receivers ascending), and every term
// is formed exactly as written above, so the sums have the bits of the plain dyad-by-dyad loops.
//
// Only the order of the work differs, and different sums are independent of each other. For each
// sender the parameters are split by how often their statistic is non-zero among the sender's
// dyads. The sums between two common parameters are taken in tiles: the dyads of a chunk of
// consecutive receivers are added one after another to a few sums held in registers, two
// parameters at a time. The sums that involve a rare parameter are taken dyad by dyad, only
// where its statistic is non-zero. A term whose statistic is 0 is +-0.0 when the weight and the
// extra factor are finite, as the fit's are, and adding +-0.0 changes no sum: a sum that starts
// from +0.0 never becomes -0.0, since a rounded sum is -0.0 only when both operands are. So the
// terms left out change no bit either.
//
// The tiles hold their sums and buffers in arrays fixed at up to tiled_parameters parameters
// (the rare parameters of a chunk are bits of one 64-bit word). More parameters are summed dyad
// by dyad, every sum still in sweep order, over the statistics that are non-zero. (A weight or
// factor that is not a number would reach more sums in the tiles than in the plain loops that leave
// zero statistics out; the fit has such values only when its estimates are not numbers already.)

#include <cstdint>
#include <vector>

#include "mple/fit_result.h"
#include "mple/statistic_values.h"
#include "network/network.h"

namespace tarn {

// The regressor columns of the current sender: column[k] holds parameter k + 1's statistic of
// the sender's dyads at entries 0..n-1 (directed: the dyad (i, j) at entry j - 1; undirected:
// (i, j) for j > i at entry j - i - 1). The columns, weights and extra factors are read in
// groups of up to eight entries, up to entry n rounded up to a multiple of eight, which stays
// within the padded rows; what lies past entry n is never used. The statistics are 16-bit
// integers (the fused kernel of the sixteen types) or doubles (any terms).
template <class T>
struct SenderColumnsOf {
  std::vector<const T*> column;  // m of them
  int m = 0;
  int n = 0;
  int skip = -1;  // entry of the receiver left out (the diagonal), or -1
};
using SenderColumns = SenderColumnsOf<int16>;

// The most parameters summed in tiles.
inline constexpr int tiled_parameters = 64;

template <class T>
class DyadSumsOf {
 public:
  // Sets the sums to +0.0. Only the sums that are switched on are kept.
  void start(int m, bool with_matrix, bool with_vector);

  // Adds the included dyads of one sender (every entry j < n but columns.skip), receivers
  // ascending. weight[j] and extra[j] belong to the dyad of entry j. Where vector_ones is given
  // and vector_ones[j] is not 0, the dyad's vector terms are (1 * x(k)) * extra[j] =
  // x(k) * extra[j] instead.
  void add_sender(const SenderColumnsOf<T>& columns, const double* weight, const double* extra,
                  const unsigned char* vector_ones = nullptr);

  double matrix(int k, int l) const { return sums()[l * stride() + k]; }  // 0-based
  double vector(int k) const { return sums()[m_ * stride() + k]; }

 private:
  static constexpr int ld = tiled_parameters + 2;  // row tiled_parameters: scratch for an unpaired
  static constexpr int scratch_row = tiled_parameters;
  static constexpr int max_chunk = 64;  // dyads in one chunk

  // The split of the parameters for one sender: the common ones in pairs (an odd last one
  // paired with the scratch row and a column of zeros) and the rare ones that are non-zero
  // somewhere; the rows of the pairs and the sum columns of the tiles (the common parameters,
  // then the vector).
  struct Plan {
    int common[tiled_parameters + 1] = {};
    int common_count = 0;
    int rare[tiled_parameters] = {};
    int rare_count = 0;
    int pairs = 0;
    int rows[tiled_parameters + 2] = {};
    int cols[tiled_parameters + 1] = {};  // offsets in acc_
    int ncols = 0;
    int vector_factor = -1;  // the position of the vector among cols, or -1
  };

  void plan_sender(const SenderColumnsOf<T>& columns, Plan& plan) const;
  void add_chunk(const SenderColumnsOf<T>& columns, const Plan& plan, int first, int count,
                 const double* weight, const double* extra);
  void add_dyads(const SenderColumnsOf<T>& columns, const double* weight, const double* extra,
                 const unsigned char* vector_ones);
  bool tiled() const { return m_ <= tiled_parameters; }
  // Column l of the sums starts at entry l * stride().
  const double* sums() const { return tiled() ? acc_ : wide_.data(); }
  double* sums() { return tiled() ? acc_ : wide_.data(); }
  int stride() const { return tiled() ? ld : m_; }

  int m_ = 0;
  bool with_matrix_ = false;
  bool with_vector_ = false;
  // Column l of the sums (l < m: matrix column l, l = m: the vector), ld entries each.
  alignas(16) double acc_[(tiled_parameters + 1) * ld] = {};
  // The sums of more than tiled_parameters parameters, (m + 1) columns of m, and one dyad's
  // non-zero statistics.
  std::vector<double> wide_;
  std::vector<int> dyad_index_;
  std::vector<double> dyad_x_, dyad_scaled_;
  // Zeros standing in for the missing partner of an unpaired common parameter, for senders of
  // more than max_nodes receivers (fewer read a shared constant column).
  std::vector<double> zeros_;
  // Chunk buffers, dyad-major: the scaled pairs (w x(k1), w x(k2)) of the common parameters, the
  // broadcast factors (x(l), x(l)) of the common parameters, then (e, e), and the same factors
  // once each.
  alignas(16) v2d scaled_[max_chunk * (tiled_parameters / 2 + 1)] = {};
  alignas(16) v2d factor_[max_chunk * (tiled_parameters + 1)] = {};
  alignas(16) double plain_[max_chunk * (tiled_parameters + 2)] = {};
  // While one sender is added, the sums of the rare rows in the tile columns (row-major) and of
  // the common pairs in the rare columns, gathered out of acc_ and put back after the sender.
  alignas(16) double rare_rows_[tiled_parameters * (tiled_parameters + 2)] = {};
  alignas(16) v2d rare_cols_[tiled_parameters * (tiled_parameters / 2 + 1)] = {};
};

using DyadSums = DyadSumsOf<int16>;
extern template class DyadSumsOf<int16>;
extern template class DyadSumsOf<double>;

}  // namespace tarn
