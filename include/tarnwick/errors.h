#pragma once
// The library's exceptions. Each carries the command line's message; nothing in the library
// prints or exits, the front ends word these.

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

// An input file (or array) that cannot be read or is not valid, with the place the reader
// names: `file` (empty: not known), `line` (0: the file as a whole) and `column` (0: not known;
// the field of a delimited row).
class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& message, std::string file = {}, int line = 0,
                      int column = 0)
      : std::runtime_error(message), file(std::move(file)), line(line), column(column) {}
  std::string file;
  int line = 0;
  int column = 0;
};

// A formula that names no term, or a term that does not fit the network or its arguments.
class ModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Settings that do not fit each other or the data (the command line's usage errors).
class ArgumentError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
  ArgumentError(const std::string& message, std::vector<std::string> settings, std::string text)
      : std::invalid_argument(message), settings(std::move(settings)), text(std::move(text)) {}

  // The settings the message is about, by key ("method", "se", "replicates", "dyad_sample",
  // "init", "sample_size", "max_iterations", "ee.tasks", "ee.gain", "ee.draws"); empty for a
  // message about none. The message with a place for each: "{k}" the name of settings[k], "{k=}"
  // that name joined to the value written after it.
  std::vector<std::string> settings;
  std::string text;

  // The message in a front end's words: each setting named by name(key) and joined to a value by
  // joiner (what() is the command line's: "--ee-gain", " "). what() for a message about none.
  std::string worded(const std::function<std::string(const std::string&)>& name,
                     const std::string& joiner) const;
};

// A network or model larger than the program can hold; the place as for InputError when the
// input passed it.
class CapacityError : public std::runtime_error {
 public:
  explicit CapacityError(const std::string& message, std::string file = {}, int line = 0,
                         int column = 0)
      : std::runtime_error(message), file(std::move(file)), line(line), column(column) {}
  std::string file;
  int line = 0;
  int column = 0;
};

// The work was cancelled through Progress::cancel.
class Cancelled : public std::runtime_error {
 public:
  Cancelled() : std::runtime_error("cancelled") {}
};

}  // namespace tarnwick
