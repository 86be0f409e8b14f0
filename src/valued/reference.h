#pragma once
// The reference measure of a valued model (ergm's reference=): the distribution of a dyad's
// value when every coefficient is 0, so that P(y) is proportional to h(y) exp(theta . g(y)),
// h the product over the dyads of the reference's weight of each value.
//   Poisson        values 0, 1, 2, ...   h(y) = 1 / y!
//   Geometric      values 0, 1, 2, ...   h(y) = 1
//   Binomial(t)    values 0..t           h(y) = choose(t, y)
//   DiscUnif(a, b) values a..b           h(y) = 1
//   Bernoulli      values 0, 1           h(y) = 1: the binary model (no --response)

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

enum class ReferenceKind { poisson, geometric, binomial, discrete_uniform, bernoulli };

struct Reference {
  ReferenceKind kind = ReferenceKind::bernoulli;
  int trials = 1;         // Binomial
  int low = 0, high = 1;  // the least and greatest value (high: none for Poisson, Geometric)

  // DiscUnif's values may be negative, so no value of `high` can stand for "no bound".
  bool bounded() const {
    return kind != ReferenceKind::poisson && kind != ReferenceKind::geometric;
  }
  bool allows(long value) const { return value >= low && (!bounded() || value <= high); }
  // As ergm writes it: "Poisson", "Binomial(trials=2)", "DiscUnif(a=0, b=3)".
  std::string text() const;
};

// Reads "Poisson", "~Poisson", "Binomial(trials=2)", "Binomial(2)", "DiscUnif(0, 3)",
// "Geometric", "Bernoulli" (any letter case of the name). Throws ModelError naming the text.
Reference parse_reference(std::string_view text);

// log h(y) of the reference, with log-factorials kept as they are first needed; the same bits
// on every machine (portable logarithms).
class ReferenceWeights {
 public:
  explicit ReferenceWeights(const Reference& reference);
  double log_weight(int value) const;
  // log h(value) - log h(value - 1), value >= 1, without the log-factorials up to value.
  double log_weight_step(int value) const;
  double log_factorial(int value) const;

 private:
  Reference reference_;
  mutable std::vector<double> log_factorials_;
};

}  // namespace tarn
