#include "dialogue/main_loop.h"

#include <exception>
#include <memory>
#include <new>
#include <string>

#include "dialogue/dialogue_error.h"
#include "dialogue/file_dialogue.h"
#include "dialogue/fit_step.h"
#include "dialogue/select.h"
#include "tarnwick/errors.h"

namespace tarn {

void main_loop(DialogueState& state, Session& session) {
  std::ostream& screen = session.screen();
  screen << "\n Tarnwick\n Pseudo-likelihood fits of random-graph models (March, 1999)\n\n";
  bool first_cycle = true;
  for (;;) {
    bool same_files = false;
    if (!first_cycle) {
      screen << '\n';
      session.console.prompt(" Continue? (y or n): ");
      if (!session.console.read_yes()) {
        session.close_output();
        return;
      }
      session.console.prompt(" Same files? (y or n): ");
      same_files = session.console.read_yes();
    }
    first_cycle = false;
    if (!same_files) {
      readin(state, session);
      session.check_output();  // an output file that takes no writes is reported at once
    }
    ChosenModel chosen = select_model(state, session);
    fit_model(state, chosen, session);
    session.check_output();
  }
}

namespace {

constexpr int error_status = 1;

// Ends a run that did not end in order: the message on a line of its own after an empty line,
// then the output file flushed and closed, so that everything written to it before stays.
int end_run(Session& session, std::ostream& out, const std::string& message) {
  out << '\n' << ' ' << message << '\n';
  try {
    session.close_output();
  } catch (const DialogueError& second) {
    out << ' ' << second.what() << '\n';
  }
  out.flush();
  return error_status;
}

}  // namespace

int run_dialogue(std::istream& in, std::ostream& out) {
  auto state = std::make_unique<DialogueState>();
  Session session(in, out);
  try {
    main_loop(*state, session);
    out.flush();
    return 0;
  } catch (const DialogueError& error) {
    return end_run(session, out, error.what());
  } catch (const tarnwick::InputError& error) {
    return end_run(session, out, error.what());
  } catch (const tarnwick::CapacityError& error) {
    return end_run(session, out, error.what());
  } catch (const std::bad_alloc&) {
    return end_run(session, out, "Out of memory: the input is too large to be read; the run ends.");
  } catch (const std::exception& error) {
    return end_run(session, out,
                   std::string("Unexpected error: ") + error.what() + "; the run ends.");
  }
}

}  // namespace tarn
