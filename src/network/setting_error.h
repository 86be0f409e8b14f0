#pragma once
// A usage error about named settings. Its text holds a place for each setting's name, so that each
// front end names them in its own terms: the command line "--ee-gain 2", Python "ee_gain=2".

#include <functional>
#include <string>
#include <vector>

#include "network/usage_error.h"

namespace tarn {

// How a front end names a setting, by its key ("ee.gain", "dyad_sample"), and what joins a name to
// a value written after it.
struct SettingWords {
  std::function<std::string(const std::string& key)> name;
  std::string joiner;
};

// The command line's words: "--" and the key with '-' for '.' and '_'; a blank before a value.
SettingWords command_line_words();

// `text` with "{k}" replaced by the name of settings[k] and "{k=}" by that name and the joiner.
std::string worded(const std::string& text, const std::vector<std::string>& settings,
                   const SettingWords& words);

class SettingError : public UsageError {
 public:
  // what() is the command line's wording.
  SettingError(std::vector<std::string> settings, std::string text);
  const std::vector<std::string>& settings() const { return settings_; }
  const std::string& text() const { return text_; }

 private:
  std::vector<std::string> settings_;
  std::string text_;
};

}  // namespace tarn
