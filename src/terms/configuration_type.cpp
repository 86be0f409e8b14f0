#include "terms/configuration_type.h"

#include <array>

namespace tarn {
namespace {

struct TypeNames {
  std::string_view short_name;
  std::string_view menu_label;
};

constexpr std::array<TypeNames, type_count> names = {{
    {"edges", "i->j"},
    {"mutual", "i<>j"},
    {"out2star", "k<-i->j"},
    {"in2star", "k->i<-j"},
    {"twopath", "k->i->j"},
    {"ttriple", "i->j->k<-i"},
    {"ctriple", "i->j->k->i"},
    {"mout2star", "k<>i->j"},
    {"min2star", "k<>i<-j"},
    {"mutual2star", "k<>i<>j"},
    {"mtriple_out", "i<>j->k<-i"},
    {"mtriple_in", "i<>j<-k->i"},
    {"mtriple_path", "i<>j<-k<-i"},
    {"m2triple", "i<>j<>k<-i"},
    {"m3triple", "i<>j<>k<>i"},
    {"covariate", "comparative network"},
}};

const TypeNames& names_of(ConfigurationType type) {
  return names[static_cast<std::size_t>(number(type) - 1)];
}

}  // namespace

std::optional<ConfigurationType> type_of_number(int number) {
  if (number < 1 || number > type_count) return std::nullopt;
  return static_cast<ConfigurationType>(number);
}

std::string_view short_name(ConfigurationType type) {
  return names_of(type).short_name;
}

std::optional<ConfigurationType> type_of_name(std::string_view name) {
  for (int t = 1; t <= type_count; ++t) {
    if (names[static_cast<std::size_t>(t - 1)].short_name == name) {
      return static_cast<ConfigurationType>(t);
    }
  }
  return std::nullopt;
}

std::string_view menu_label(ConfigurationType type) {
  return names_of(type).menu_label;
}

}  // namespace tarn
