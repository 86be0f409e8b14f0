// A message about settings holds a place for each name; each front end fills in its own.
#include "network/setting_error.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(SettingError, EachFrontEndNamesTheSettingsItsOwnWay) {
  const SettingWords python{[](const std::string& key) {
                              std::string name = key;
                              for (char& c : name) c = c == '.' ? '_' : c;
                              return name;
                            },
                            "="};
  const struct {
    std::vector<std::string> settings;
    std::string text, command_line, in_python;
  } cases[] = {
      {{"ee.gain"}, "{0} takes a share", "--ee-gain takes a share", "ee_gain takes a share"},
      {{"max_iterations", "method"},
       "{0} is for {1=}mcmle",
       "--max-iterations is for --method mcmle",
       "max_iterations is for method=mcmle"},
      {{"se"}, "{0=}x: leave out {0}", "--se x: leave out --se", "se=x: leave out se"},
      // Braces that are no place stay as they are; a place past the settings stays written.
      {{"seed"}, "{} {x} {0 {1} {0=", "{} {x} {0 {1} {0=", "{} {x} {0 {1} {0="},
      {{"a"}, "{10}", "{10}", "{10}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const SettingError error(c.settings, c.text);
    EXPECT_EQ(error.what(), c.command_line);
    EXPECT_EQ(worded(c.text, c.settings, python), c.in_python);
  }
}

}  // namespace
}  // namespace tarn
