#pragma once
// Fixed-size tables indexed from 1, as the model and its matrices count parameters.
// A two-dimensional table is stored column by column: element (r, c) is entry r of column c.

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace tarn {

template <class T, int N>
struct Vec {
  std::array<T, N> v{};
  T& operator()(int i) {
    assert(i >= 1 && i <= N);
    return v[static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(int i) const {
    assert(i >= 1 && i <= N);
    return v[static_cast<std::size_t>(i - 1)];
  }
  // Pointer to entry 1, for tight loops over a known range.
  T* base() { return v.data(); }
  const T* base() const { return v.data(); }
  static constexpr int size() { return N; }
};

template <class T, int Rows, int Cols>
struct Table {
  std::array<T, static_cast<std::size_t>(Rows) * Cols> v{};
  T& operator()(int r, int c) {
    assert(r >= 1 && r <= Rows && c >= 1 && c <= Cols);
    return v[static_cast<std::size_t>(c - 1) * Rows + static_cast<std::size_t>(r - 1)];
  }
  const T& operator()(int r, int c) const {
    assert(r >= 1 && r <= Rows && c >= 1 && c <= Cols);
    return v[static_cast<std::size_t>(c - 1) * Rows + static_cast<std::size_t>(r - 1)];
  }
  // Pointer to entry (1, c): the column runs contiguously from there.
  T* column(int c) {
    assert(c >= 1 && c <= Cols);
    return v.data() + static_cast<std::size_t>(c - 1) * Rows;
  }
  const T* column(int c) const {
    assert(c >= 1 && c <= Cols);
    return v.data() + static_cast<std::size_t>(c - 1) * Rows;
  }
  static constexpr int rows() { return Rows; }
  static constexpr int cols() { return Cols; }
};

}  // namespace tarn
