#pragma once
// Something the user is told that does not stop the run, as a value: a code, and the figures
// (counts, values, names) that the words are made from. The layers below the front ends only
// say what happened; the command line words it (cli/warning_text.h), and the results files
// carry the code, the words and the figures.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tarn {

using WarningValue = std::variant<std::int64_t, double, std::string>;

struct WarningFigure {
  std::string name;
  WarningValue value;
};

struct Warning {
  Warning() = default;
  Warning(std::string warning_code)
      : code(std::move(warning_code)) {}  // NOLINT: {"code"} reads well

  std::string code;
  std::vector<WarningFigure> figures;

  Warning& add_count(std::string name, std::int64_t value) {
    figures.push_back({std::move(name), value});
    return *this;
  }
  Warning& add_number(std::string name, double value) {
    figures.push_back({std::move(name), value});
    return *this;
  }
  Warning& add_text(std::string name, std::string value) {
    figures.push_back({std::move(name), std::move(value)});
    return *this;
  }
  // The figure `name` (0, 0.0 or empty when there is none of that kind).
  std::int64_t count(std::string_view name) const { return get<std::int64_t>(name, 0); }
  double number(std::string_view name) const { return get<double>(name, 0.0); }
  std::string text(std::string_view name) const { return get<std::string>(name, std::string()); }

 private:
  template <typename T>
  T get(std::string_view name, T absent) const {
    for (const WarningFigure& f : figures) {
      if (f.name == name && std::holds_alternative<T>(f.value)) return std::get<T>(f.value);
    }
    return absent;
  }
};

}  // namespace tarn
