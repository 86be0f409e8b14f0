#include "input/existing_file_prompt.h"

#include "input/file_access.h"

namespace tarn {

std::string ask_existing_file(Io& io, std::string_view prompt, bool empty_line_first) {
  for (;;) {
    if (empty_line_first) io.screen() << '\n';
    io.console.prompt(prompt);
    std::string name = io.console.read_file_name();
    if (file_exists(name)) return name;
    io.screen() << ' ' << name << " does not exist\n";
  }
}

}  // namespace tarn
