#include "dialogue/select.h"

#include "dialogue/blocking_dialogue.h"
#include "dialogue/comparative_choice.h"
#include "dialogue/global_dialogue.h"
#include "dialogue/group_dialogue.h"
#include "dialogue/parameter_menu.h"
#include "dialogue/short_dialogue.h"

namespace tarn {

ChosenModel select_model(DialogueState& state, Session& session) {
  settle_blocking(state, session);
  const tarnwick::ClassicBlocking& blocking = state.blocking;
  show_parameter_menu(session.screen());
  tarnwick::ClassicDescription description;
  if (blocking.in_use() && blocking.block_type_count == 1) {
    run_short_dialogue(description, session);
  } else {
    run_global_dialogue(description, session);
    if (blocking.in_use()) run_group_dialogue(blocking, description, session);
  }
  ChosenModel chosen;
  chosen.model =
      tarnwick::classic_model(description, blocking.in_use() ? blocking.block_type_count : 0);
  if (chosen.model.uses_comparative()) {
    chosen.comparative_file = choose_comparative_file(session);
  }
  return chosen;
}

}  // namespace tarn
