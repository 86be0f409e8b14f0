#pragma once
// Exact binomial and multinomial draws from a RandomStream, the same on every machine: inversion
// when the mean is small, Hormann's BTRD (transformed rejection with decomposition, 1993)
// otherwise, with portable_exp / portable_log in place of the platform's functions. Their cost
// does not grow with the number of trials, so a draw of 10^12 dyads costs what one of 100 does.

#include <cstdint>
#include <vector>

#include "simulate/random_stream.h"

namespace tarn {

// The number of successes in `trials` independent trials of probability `p` (0 <= p <= 1).
std::int64_t binomial_draw(RandomStream& random, std::int64_t trials, double p);

// Counts of `trials` draws over categories of the given probabilities (summing to 1), one
// conditional binomial per category in order.
std::vector<std::int64_t> multinomial_draw(RandomStream& random, std::int64_t trials,
                                           const std::vector<double>& probabilities);

}  // namespace tarn
