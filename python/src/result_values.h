#pragma once
// The library's results as plain Python values and back: a result (tarnwick/results/) becomes a
// dict of its fields by name (visit_fields), a vector a list, an optional None or its value,
// numbers and texts themselves. The package keeps these values (they pickle and save as they
// are) and hands them back for the texts of tarnwick/reporting.h.

#include <pybind11/pybind11.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "tarnwick/results/simulation.h"

namespace result_values {

namespace py = pybind11;

template <class T>
concept has_fields = requires(T& value) {
  visit_fields(value, [](const char*, auto&) {});
};

// To Python.

inline py::object to_python(const std::string& text) {
  return py::str(text);
}
inline py::object to_python(bool value) {
  return py::bool_(value);
}
template <class T>
requires std::is_arithmetic_v<T> py::object to_python(T value) {
  if constexpr (std::is_floating_point_v<T>) {
    return py::float_(static_cast<double>(value));
  } else {
    return py::int_(value);
  }
}
inline py::object to_python(tarnwick::DrawOutcome outcome) {
  switch (outcome) {
    case tarnwick::DrawOutcome::drawn:
      return py::str("drawn");
    case tarnwick::DrawOutcome::no_estimate:
      return py::str("no_estimate");
    case tarnwick::DrawOutcome::degenerate:
      return py::str("degenerate");
  }
  return py::none();
}
template <has_fields T>
py::object to_python(const T& result);
template <class T>
py::object to_python(const std::vector<T>& values);
template <class T, std::size_t N>
py::object to_python(const std::array<T, N>& values);
template <class T>
py::object to_python(const std::optional<T>& value);
template <class... T>
py::object to_python(const std::variant<T...>& value);

template <class T>
py::object to_python(const std::vector<T>& values) {
  py::list list;
  for (const T& v : values) list.append(to_python(v));
  return list;
}
template <class T, std::size_t N>
py::object to_python(const std::array<T, N>& values) {
  py::list list;
  for (const T& v : values) list.append(to_python(v));
  return list;
}
template <class T>
py::object to_python(const std::optional<T>& value) {
  return value ? to_python(*value) : py::none();
}
template <class... T>
py::object to_python(const std::variant<T...>& value) {
  return std::visit([](const auto& v) { return to_python(v); }, value);
}
template <has_fields T>
py::object to_python(const T& result) {
  py::dict dict;
  visit_fields(result,
               [&dict](const char* name, const auto& member) { dict[name] = to_python(member); });
  return dict;
}

// From Python: the values to_python made (or a program's own of the same shape).

inline void from_python(py::handle value, std::string& text) {
  text = value.cast<std::string>();
}
inline void from_python(py::handle value, bool& flag) {
  flag = value.cast<bool>();
}
template <class T>
requires std::is_arithmetic_v<T>
void from_python(py::handle value, T& number) {
  number = value.cast<T>();
}
inline void from_python(py::handle value, tarnwick::DrawOutcome& outcome) {
  const std::string name = value.cast<std::string>();
  outcome = name == "no_estimate"  ? tarnwick::DrawOutcome::no_estimate
            : name == "degenerate" ? tarnwick::DrawOutcome::degenerate
                                   : tarnwick::DrawOutcome::drawn;
}
template <has_fields T>
void from_python(py::handle value, T& result);
template <class T>
void from_python(py::handle value, std::vector<T>& values);
template <class T, std::size_t N>
void from_python(py::handle value, std::array<T, N>& values);
template <class T>
void from_python(py::handle value, std::optional<T>& optional);
template <class... T>
void from_python(py::handle value, std::variant<T...>& variant);

template <class T>
void from_python(py::handle value, std::vector<T>& values) {
  values.clear();
  for (const py::handle item : value) from_python(item, values.emplace_back());
}
template <class T, std::size_t N>
void from_python(py::handle value, std::array<T, N>& values) {
  std::size_t k = 0;
  for (const py::handle item : value) {
    if (k < N) from_python(item, values[k++]);
  }
}
template <class T>
void from_python(py::handle value, std::optional<T>& optional) {
  if (value.is_none()) {
    optional.reset();
  } else {
    from_python(value, optional.emplace());
  }
}
// A warning's figure: a whole number, a number or a text, as it came.
template <class... T>
void from_python(py::handle value, std::variant<T...>& variant) {
  if (py::isinstance<py::bool_>(value) || py::isinstance<py::int_>(value)) {
    variant = value.cast<std::int64_t>();
  } else if (py::isinstance<py::float_>(value)) {
    variant = value.cast<double>();
  } else {
    variant = value.cast<std::string>();
  }
}
template <has_fields T>
void from_python(py::handle value, T& result) {
  const py::dict dict = py::reinterpret_borrow<py::dict>(value);
  visit_fields(result, [&dict](const char* name, auto& member) {
    if (dict.contains(name)) from_python(dict[name], member);
  });
}

template <class T>
T result_of(py::handle value) {
  T result;
  from_python(value, result);
  return result;
}

}  // namespace result_values
