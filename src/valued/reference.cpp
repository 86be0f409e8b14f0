#include "valued/reference.h"

#include <cctype>

#include "numeric/portable_exp.h"
#include "terms/formula.h"
#include "terms/term.h"
#include "terms/term_arguments.h"

namespace tarn {

namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

[[noreturn]] void refuse(std::string_view text, const std::string& why) {
  throw ModelError("reference " + std::string(text) + ": " + why);
}

int whole(double value, std::string_view text, const char* what) {
  if (value != static_cast<double>(static_cast<long>(value)) || value < 0 || value > 1e6) {
    refuse(text, std::string(what) + " must be a whole number from 0 to 1000000.");
  }
  return static_cast<int>(value);
}

}  // namespace

std::string Reference::text() const {
  switch (kind) {
    case ReferenceKind::poisson:
      return "Poisson";
    case ReferenceKind::geometric:
      return "Geometric";
    case ReferenceKind::binomial:
      return "Binomial(trials=" + std::to_string(trials) + ")";
    case ReferenceKind::discrete_uniform:
      return "DiscUnif(a=" + std::to_string(low) + ", b=" + std::to_string(high) + ")";
    case ReferenceKind::bernoulli:
      break;
  }
  return "Bernoulli";
}

Reference parse_reference(std::string_view text) {
  std::string_view body = trimmed(text);
  if (!body.empty() && body.front() == '~') body = trimmed(body.substr(1));
  if (body.empty())
    refuse(text, "give Poisson, Geometric, Binomial(trials), DiscUnif(a, b) or Bernoulli.");
  const TermCall call = parse_term(body);
  const std::string name = lower(call.name);
  Reference r;
  if (name == "poisson" || name == "geometric" || name == "bernoulli") {
    if (!call.arguments.empty()) refuse(text, call.name + " takes no arguments.");
    r.kind = name == "poisson"     ? ReferenceKind::poisson
             : name == "geometric" ? ReferenceKind::geometric
                                   : ReferenceKind::bernoulli;
    r.low = 0;
    r.high = r.kind == ReferenceKind::bernoulli ? 1 : -1;
    return r;
  }
  if (name == "binomial") {
    const TermArguments arguments(call, {"trials"});
    r.kind = ReferenceKind::binomial;
    r.trials = whole(arguments.number("trials"), text, "trials");
    if (r.trials < 1) refuse(text, "trials must be at least 1.");
    r.low = 0;
    r.high = r.trials;
    return r;
  }
  if (name == "discunif") {
    const TermArguments arguments(call, {"a", "b"});
    r.kind = ReferenceKind::discrete_uniform;
    r.low = whole(arguments.number("a"), text, "a");
    r.high = whole(arguments.number("b"), text, "b");
    if (r.high < r.low) refuse(text, "b must be at least a.");
    return r;
  }
  refuse(text,
         "no such reference; give Poisson, Geometric, Binomial(trials), DiscUnif(a, b) or "
         "Bernoulli.");
}

ReferenceWeights::ReferenceWeights(const Reference& reference) : reference_(reference) {
  log_factorials_ = {0.0, 0.0};
}

double ReferenceWeights::log_factorial(int value) const {
  while (static_cast<int>(log_factorials_.size()) <= value) {
    const auto k = static_cast<double>(log_factorials_.size());
    log_factorials_.push_back(log_factorials_.back() + portable_log(k));
  }
  return log_factorials_[static_cast<std::size_t>(value)];
}

double ReferenceWeights::log_weight(int value) const {
  switch (reference_.kind) {
    case ReferenceKind::poisson:
      return -log_factorial(value);
    case ReferenceKind::binomial:
      return log_factorial(reference_.trials) - log_factorial(value) -
             log_factorial(reference_.trials - value);
    case ReferenceKind::geometric:
    case ReferenceKind::discrete_uniform:
    case ReferenceKind::bernoulli:
      break;
  }
  return 0.0;
}

double ReferenceWeights::log_weight_step(int value) const {
  switch (reference_.kind) {
    case ReferenceKind::poisson:
      return -portable_log(value);
    case ReferenceKind::binomial:
      return portable_log(reference_.trials - value + 1) - portable_log(value);
    case ReferenceKind::geometric:
    case ReferenceKind::discrete_uniform:
    case ReferenceKind::bernoulli:
      break;
  }
  return 0.0;
}

}  // namespace tarn
