#pragma once
// The spread of a goodness-of-fit panel's simulated values, value by value, as the figure draws
// it; and the standardization that puts model statistics of different sizes on one axis.

#include <vector>

#include "simulate/gof_summary.h"

namespace tarn {

// What the figure shows of one value: the observed value and the spread of the simulated ones.
struct ValueSpread {
  double observed;
  bool simulated = false;
  double min = 0, first_quartile = 0, median = 0, third_quartile = 0, max = 0;
  double lower = 0, upper = 0;  // the 95% band
};

// Model statistics differ in size by orders, so they are drawn as (value - mean) / sd of the
// simulated values (sd 1 when the simulated values do not vary). Needs two simulated networks.
bool drawn_standardized(const GofPanel& panel);
GofPanel standardized(const GofPanel& panel);

// A count panel (degrees, shared partners) of more than max_drawn_counts values, its shares
// summed into bins that double in width: 0, 1, 2-3, 4-7, 8-15, ... A few hubs then no longer
// press every other value against the left edge. The rows of the tables keep every value.
inline constexpr std::size_t max_drawn_counts = 40;
GofPanel binned(const GofPanel& panel);

// The panel as the figure draws it: standardized, binned, or as it is.
GofPanel drawn_form(const GofPanel& panel);

// Per value: quartiles, median, range and the 2.5% and 97.5% points (R's type 7) of the finite
// simulated values; `simulated` false when there are none.
std::vector<ValueSpread> spreads_of(const GofPanel& panel);

}  // namespace tarn
