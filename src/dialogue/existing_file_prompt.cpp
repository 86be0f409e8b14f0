#include "dialogue/existing_file_prompt.h"

#include "tarnwick/classic/data.h"

namespace tarn {

std::string ask_existing_file(Session& session, std::string_view prompt, bool empty_line_first) {
  for (;;) {
    if (empty_line_first) session.screen() << '\n';
    session.console.prompt(prompt);
    std::string name = session.console.read_file_name();
    if (tarnwick::classic_file_exists(name)) return name;
    session.screen() << ' ' << name << " does not exist\n";
  }
}

}  // namespace tarn
