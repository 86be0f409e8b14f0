#pragma once
// The library's exceptions (tarnwick/tarnwick.h) from the core's: bad input, a usage error, a
// formula the term table refuses, a capacity passed.

#include <utility>

#include "network/fatal_error.h"
#include "network/usage_error.h"
#include "tarnwick/tarnwick.h"
#include "terms/term.h"

namespace tarn {

// Runs `work`, its exceptions given as the library's.
template <class Work>
auto with_library_errors(Work&& work) -> decltype(work()) {
  try {
    return std::forward<Work>(work)();
  } catch (const ModelError& e) {
    throw tarnwick::ModelError(e.what());
  } catch (const UsageError& e) {
    throw tarnwick::ArgumentError(e.what());
  } catch (const OutputError& e) {
    throw tarnwick::InputError(e.what());
  } catch (const FatalError& e) {
    throw tarnwick::InputError(e.what());
  }
}

}  // namespace tarn
