// The dyad-independent terms of valued networks, as ergm defines them: sums over the dyads of a
// function of each dyad's value.

#include <cmath>
#include <limits>

#include "numeric/portable_exp.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"
#include "terms/valued_term.h"

namespace tarn {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// y^pow: exact for whole powers, a square root for 1/2, portable logarithms otherwise.
double power(int y, double pow) {
  if (pow == std::floor(pow) && std::fabs(pow) <= 64) {
    if (y == 0) return pow == 0 ? 1.0 : (pow > 0 ? 0.0 : infinity);
    double result = 1.0;
    for (int k = 0; k < static_cast<int>(std::fabs(pow)); ++k) result *= y;
    return pow >= 0 ? result : 1.0 / result;
  }
  if (pow == 0.5) return std::sqrt(static_cast<double>(y));
  if (y == 0) return pow > 0 ? 0.0 : infinity;
  return portable_exp(pow * portable_log(static_cast<double>(y)));
}

// sum(pow=1): the sum of the values to the power pow.
class SumTerm final : public DyadSumTerm {
 public:
  SumTerm(std::string text, double pow)
      : DyadSumTerm(std::move(text), {pow == 1 ? "sum" : "sum" + r_number_text(pow)}), pow_(pow) {}
  void dyad_statistics(int, int, int value, double* out) const override {
    out[0] = pow_ == 1 ? value : power(value, pow_);
  }
  void empty_statistics(const ValuedGraph& g, double* out) const override {
    out[0] = pow_ == 0 ? static_cast<double>(g.dyad_count()) : 0.0;
  }

 private:
  double pow_;
};

// Counts of the dyads whose value lies in [low, high] (each end open or closed): nonzero,
// atleast, atmost, greaterthan, smallerthan, equalto, ininterval. One statistic per interval.
struct Interval {
  double low = -infinity, high = infinity;
  bool open_low = true, open_high = true;
  bool holds(double y) const {
    return (open_low ? y > low : y >= low) && (open_high ? y < high : y <= high);
  }
};

class IntervalCountTerm final : public DyadSumTerm {
 public:
  IntervalCountTerm(std::string text, std::vector<std::string> names,
                    std::vector<Interval> intervals)
      : DyadSumTerm(std::move(text), std::move(names)), intervals_(std::move(intervals)) {}
  void dyad_statistics(int, int, int value, double* out) const override {
    for (std::size_t s = 0; s < intervals_.size(); ++s) out[s] = intervals_[s].holds(value);
  }
  void empty_statistics(const ValuedGraph& g, double* out) const override {
    for (std::size_t s = 0; s < intervals_.size(); ++s) {
      out[s] = intervals_[s].holds(0) ? static_cast<double>(g.dyad_count()) : 0.0;
    }
  }

 private:
  std::vector<Interval> intervals_;
};

// CMP: the sum of log(y!), which with a Poisson reference gives a Conway-Maxwell-Poisson
// distribution of each dyad (a positive coefficient: overdispersion).
class LogFactorialSumTerm final : public DyadSumTerm {
 public:
  explicit LogFactorialSumTerm(std::string text) : DyadSumTerm(std::move(text), {"CMP"}) {}
  void dyad_statistics(int, int, int value, double* out) const override {
    double sum = 0.0;
    for (int k = 2; k <= value; ++k) sum += portable_log(k);
    out[0] = sum;
  }
};

std::string interval_name(const Interval& i) {
  return std::string("ininterval") + (i.open_low ? "(" : "[") + r_number_text(i.low) + "," +
         r_number_text(i.high) + (i.open_high ? ")" : "]");
}

ValuedTermPointer make_sum(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {"pow"});
  const double pow = a.number("pow", 1.0);
  // 0 to a negative power is infinite: every zero dyad would make the statistic infinite.
  if (pow < 0) a.fail("pow", "must not be negative (0 to a negative power is infinite).");
  return std::make_shared<SumTerm>(call.written, pow);
}

ValuedTermPointer make_nonzero(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {});
  return std::make_shared<IntervalCountTerm>(call.written, std::vector<std::string>{"nonzero"},
                                             std::vector<Interval>{{0, infinity, true, true}});
}

// atleast, atmost, greaterthan, smallerthan: one statistic per threshold.
template <char Kind>
ValuedTermPointer make_threshold(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {"threshold"});
  std::vector<double> thresholds = {0.0};
  if (const ArgumentValue* given = a.find("threshold")) {
    if (given->kind != ArgumentValue::Kind::numbers || given->numbers.empty()) {
      a.fail("threshold", "must be a number or a vector of numbers.");
    }
    thresholds = given->numbers;
  }
  const std::string stem = Kind == 'l'   ? "atleast"
                           : Kind == 'm' ? "atmost"
                           : Kind == 'g' ? "greaterthan"
                                         : "smallerthan";
  std::vector<std::string> names;
  std::vector<Interval> intervals;
  for (const double t : thresholds) {
    names.push_back(stem + "." + r_number_text(t));
    switch (Kind) {
      case 'l':
        intervals.push_back({t, infinity, false, true});
        break;
      case 'm':
        intervals.push_back({-infinity, t, true, false});
        break;
      case 'g':
        intervals.push_back({t, infinity, true, true});
        break;
      default:
        intervals.push_back({-infinity, t, true, true});
    }
  }
  return std::make_shared<IntervalCountTerm>(call.written, std::move(names), std::move(intervals));
}

ValuedTermPointer make_equalto(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {"value", "tolerance"});
  const double value = a.number("value", 0.0), tolerance = a.number("tolerance", 0.0);
  if (tolerance < 0) a.fail("tolerance", "must not be negative.");
  return std::make_shared<IntervalCountTerm>(
      call.written,
      std::vector<std::string>{"equalto." + r_number_text(value) + ".pm." +
                               r_number_text(tolerance)},
      std::vector<Interval>{{value - tolerance, value + tolerance, false, false}});
}

ValuedTermPointer make_ininterval(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {"lower", "upper", "open"});
  Interval interval{a.number("lower", -infinity), a.number("upper", infinity), true, true};
  if (const ArgumentValue* open = a.find("open")) {
    if (open->kind == ArgumentValue::Kind::logical) {
      interval.open_low = interval.open_high = open->logical;
    } else if (open->kind == ArgumentValue::Kind::text &&
               (open->text == "()" || open->text == "(]" || open->text == "[)" ||
                open->text == "[]")) {
      interval.open_low = open->text[0] == '(';
      interval.open_high = open->text[1] == ')';
    } else if (open->kind == ArgumentValue::Kind::list && open->items.size() == 2 &&
               open->items[0].kind == ArgumentValue::Kind::logical &&
               open->items[1].kind == ArgumentValue::Kind::logical) {
      interval.open_low = open->items[0].logical;
      interval.open_high = open->items[1].logical;
    } else {
      a.fail("open",
             "must be TRUE, FALSE, c(TRUE, FALSE) or one of \"()\", \"(]\", \"[)\", \"[]\".");
    }
  }
  if (interval.high < interval.low) a.fail("upper", "must not be below lower.");
  return std::make_shared<IntervalCountTerm>(call.written,
                                             std::vector<std::string>{interval_name(interval)},
                                             std::vector<Interval>{interval});
}

ValuedTermPointer make_cmp(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {});
  return std::make_shared<LogFactorialSumTerm>(call.written);
}

constexpr TermEntry entries[] = {
    {"sum", "pow=1", "the dyads' values (to the power pow), summed", Networks::both, "", nullptr,
     make_sum},
    {"nonzero", "", "dyads whose value is not 0 (edges: the same)", Networks::both, "", nullptr,
     make_nonzero},
    {"atleast", "threshold=0", "dyads whose value is at least each threshold", Networks::both, "",
     nullptr, make_threshold<'l'>},
    {"atmost", "threshold=0", "dyads whose value is at most each threshold", Networks::both, "",
     nullptr, make_threshold<'m'>},
    {"greaterthan", "threshold=0", "dyads whose value exceeds each threshold", Networks::both, "",
     nullptr, make_threshold<'g'>},
    {"smallerthan", "threshold=0", "dyads whose value is below each threshold", Networks::both, "",
     nullptr, make_threshold<'s'>},
    {"equalto", "value=0, tolerance=0", "dyads whose value is within tolerance of value",
     Networks::both, "", nullptr, make_equalto},
    {"ininterval", "lower=-Inf, upper=Inf, open=c(TRUE, TRUE)",
     "dyads whose value lies in the interval", Networks::both, "", nullptr, make_ininterval},
    {"CMP", "", "log(y!) summed over the dyads (Conway-Maxwell-Poisson dispersion)", Networks::both,
     "", nullptr, make_cmp},
};

}  // namespace

std::span<const TermEntry> valued_dyad_term_entries() {
  return entries;
}

ValuedTermPointer make_valued_nonzero(const TermCall& call, const TermContext& context) {
  return make_nonzero(call, context);
}

}  // namespace tarn
