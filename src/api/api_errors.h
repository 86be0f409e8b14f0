#pragma once
// The library's exceptions (tarnwick/tarnwick.h) from the core's: bad input (with the file, line
// and column the reader gave it), a usage error, a formula the term table refuses, a capacity
// passed.

#include <string>
#include <utility>

#include "network/cancel_flag.h"
#include "network/fatal_error.h"
#include "network/setting_error.h"
#include "network/usage_error.h"
#include "tarnwick/tarnwick.h"
#include "terms/term.h"

namespace tarn {

// Bad input as the library's exception, with the place the reader gave it: a capacity passed as
// CapacityError, anything else as InputError.
[[noreturn]] inline void throw_input_error(const FatalError& error) {
  const InputPlace& place = error.place();
  const auto line = static_cast<int>(place.line);
  if (dynamic_cast<const CapacityPassed*>(&error) != nullptr) {
    throw tarnwick::CapacityError(error.what(), place.file, line, place.column);
  }
  throw tarnwick::InputError(error.what(), place.file, line, place.column);
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
  } catch (const SettingError& e) {
    throw tarnwick::ArgumentError(e.what(), e.settings(), e.text());
  } catch (const UsageError& e) {
    throw tarnwick::ArgumentError(e.what());
  } catch (const OutputError& e) {
    throw tarnwick::InputError(e.what());
  } catch (const FatalError& e) {
    throw_input_error(e);
  } catch (const WorkCancelled&) {
    throw tarnwick::Cancelled();
  }
}

}  // namespace tarn
