#include "network/file_name.h"

#include "network/capacity.h"

namespace tarn {

std::string name_field(std::string_view typed) {
  std::string field(typed.substr(0, name_length));
  field.resize(name_length, ' ');
  return field;
}

std::string trimmed_name(std::string_view field) {
  std::size_t end = field.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string() : std::string(field.substr(0, end + 1));
}

}  // namespace tarn
