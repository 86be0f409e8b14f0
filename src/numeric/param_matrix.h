#pragma once
// Vectors and matrices of parameters, sized at run time and indexed from 1, as the fit and the
// reports count parameters; matrices are square and stored column by column. A default one is
// empty: whoever fills one sizes it first. No limit on the order but memory (the dialogue's
// capacity of parameters is its own, network/capacity.h).

#include <cassert>
#include <cstddef>
#include <vector>

namespace tarn {

class ParamVector {
 public:
  ParamVector() = default;
  explicit ParamVector(int size) : values_(static_cast<std::size_t>(size), 0.0) {}

  int size() const { return static_cast<int>(values_.size()); }
  double& operator()(int i) {
    assert(i >= 1 && i <= size());
    return values_[static_cast<std::size_t>(i - 1)];
  }
  double operator()(int i) const {
    assert(i >= 1 && i <= size());
    return values_[static_cast<std::size_t>(i - 1)];
  }
  // Pointer to entry 1, for tight loops over a known range.
  double* base() { return values_.data(); }
  const double* base() const { return values_.data(); }
  void fill(double value) { values_.assign(values_.size(), value); }
  bool operator==(const ParamVector&) const = default;

 private:
  std::vector<double> values_;
};

class ParamMatrix {
 public:
  ParamMatrix() = default;
  explicit ParamMatrix(int order)
      : order_(order), values_(static_cast<std::size_t>(order) * static_cast<std::size_t>(order)) {}

  int order() const { return order_; }
  double& operator()(int r, int c) { return values_[index(r, c)]; }
  double operator()(int r, int c) const { return values_[index(r, c)]; }
  // Pointer to entry (1, c): the column runs contiguously from there.
  double* column(int c) { return values_.data() + index(1, c); }
  const double* column(int c) const { return values_.data() + index(1, c); }
  void fill(double value) { values_.assign(values_.size(), value); }
  bool operator==(const ParamMatrix&) const = default;

 private:
  std::size_t index(int r, int c) const {
    assert(r >= 1 && r <= order_ && c >= 1 && c <= order_);
    return static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(order_) +
           static_cast<std::size_t>(r - 1);
  }
  int order_ = 0;
  std::vector<double> values_;
};

}  // namespace tarn
