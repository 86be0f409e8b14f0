#pragma once
// The library's exceptions (tarnwick/tarnwick.h) from the core's: bad input, a usage error, a
// formula the term table refuses, a capacity passed.

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
  // "FILE", line N
  if (const std::size_t at = message.find("\", line "); at != std::string::npos) {
    const std::size_t open = message.rfind('"', at == 0 ? 0 : at - 1);
    std::size_t digits = at + 8;
    int line = 0;
    while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9') {
      line = line * 10 + (message[digits++] - '0');
    }
    if (open != std::string::npos && open < at && line > 0) {
      throw tarnwick::InputError(message, message.substr(open + 1, at - open - 1), line);
    }
  }
  // file "FILE" (or File "FILE")
  for (const char* head : {"file \"", "File \""}) {
    if (const std::size_t at = message.find(head); at != std::string::npos) {
      const std::size_t open = at + 6, close = message.find('"', open);
      if (close != std::string::npos) {
        throw tarnwick::InputError(message, message.substr(open, close - open), 0);
      }
    }
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
