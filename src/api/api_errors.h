#pragma once
// The library's exceptions (tarnwick/tarnwick.h) from the core's: bad input, a usage error, a
// formula the term table refuses, a capacity passed.

#include <regex>
#include <string>
#include <utility>

#include "network/fatal_error.h"
#include "network/usage_error.h"
#include "tarnwick/tarnwick.h"
#include "terms/term.h"

namespace tarn {

// Bad input as the library's exception: a capacity passed ("Too many links!") as CapacityError,
// other messages as InputError with the file and line they name (`in "FILE", line N`, or `file
// "FILE"` for the file as a whole).
[[noreturn]] inline void throw_input_error(const std::string& message) {
  if (message.rfind("Too many ", 0) == 0) throw tarnwick::CapacityError(message);
  static const std::regex at_line("\"([^\"]*)\", line ([0-9]+)");
  static const std::regex whole_file("[Ff]ile \"([^\"]*)\"");
  std::smatch found;
  if (std::regex_search(message, found, at_line)) {
    throw tarnwick::InputError(message, found[1].str(), std::stoi(found[2].str()));
  }
  if (std::regex_search(message, found, whole_file)) {
    throw tarnwick::InputError(message, found[1].str(), 0);
  }
  throw tarnwick::InputError(message);
}

// Runs `work`, its exceptions given as the library's.
template <class Work>
auto with_library_errors(Work&& work) -> decltype(work()) {
  try {
    return std::forward<Work>(work)();
  } catch (const ModelError& e) {
    throw tarnwick::ModelError(e.what());
  } catch (const FormulaError& e) {
    throw tarnwick::ModelError(e.what());
  } catch (const UsageError& e) {
    throw tarnwick::ArgumentError(e.what());
  } catch (const OutputError& e) {
    throw tarnwick::InputError(e.what());
  } catch (const FatalError& e) {
    throw_input_error(e.what());
  }
}

}  // namespace tarn
