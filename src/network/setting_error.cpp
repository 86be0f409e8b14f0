#include "network/setting_error.h"

#include <cstddef>
#include <utility>

namespace tarn {

SettingWords command_line_words() {
  return {[](const std::string& key) {
            std::string name = "--" + key;
            for (char& c : name) {
              if (c == '.' || c == '_') c = '-';
            }
            return name;
          },
          " "};
}

std::string worded(const std::string& text, const std::vector<std::string>& settings,
                   const SettingWords& words) {
  std::string out;
  std::size_t k = 0;
  while (k < text.size()) {
    const std::size_t close = text.find('}', k);
    std::size_t digits = k + 1;
    while (text[k] == '{' && digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
      ++digits;
    }
    const bool joined = digits < text.size() && text[digits] == '=';
    const std::size_t end = joined ? digits + 1 : digits;
    if (text[k] != '{' || digits == k + 1 || close != end) {
      out += text[k++];
      continue;
    }
    const std::size_t index = std::stoul(text.substr(k + 1, digits - k - 1));
    out += index < settings.size() ? words.name(settings[index]) : text.substr(k, end + 1 - k);
    if (joined) out += words.joiner;
    k = end + 1;
  }
  return out;
}

SettingError::SettingError(std::vector<std::string> settings, std::string text)
    : UsageError(worded(text, settings, command_line_words())),
      settings_(std::move(settings)),
      text_(std::move(text)) {}

}  // namespace tarn
