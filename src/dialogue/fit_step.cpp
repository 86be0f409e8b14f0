#include "dialogue/fit_step.h"

#include "tarnwick/classic/fit.h"
#include "tarnwick/classic/report.h"

namespace tarn {

namespace {

void show_pass(std::ostream& screen, int pass) {
  if (pass == 2) {
    screen << ".. 2";
  } else if (pass == tarnwick::classic_final_pass) {
    screen << ".. Final\n";
  } else if (pass >= tarnwick::classic_first_newton_pass) {
    screen << ".." << tarnwick::classic_int_field(pass, 2);
  }
  screen << std::flush;
}

}  // namespace

void fit_model(const DialogueState& state, ChosenModel& chosen, Session& session) {
  std::ostream& screen = session.screen();
  // The progress line begins before the comparative file is read, so that a fault in that file
  // is shown where the first pass meets it.
  screen << " Pass  1" << std::flush;
  tarnwick::ClassicStudy study;
  study.network = state.network;
  study.include_diagonal = state.include_diagonal;
  study.model = chosen.model;
  study.blocking = state.blocking;
  study.attributes = state.attributes;
  if (chosen.comparative_file) {
    study.comparative =
        tarnwick::read_classic_comparative(*chosen.comparative_file, state.network.node_count());
  }
  const tarnwick::ClassicFit fit =
      tarnwick::fit_classic(study, [&screen](int pass) { show_pass(screen, pass); });

  switch (fit.end) {
    case tarnwick::ClassicFitEnd::dependent:
      screen << "\n Statistics linearly dependent! Try again...\n" << std::flush;
      return;
    case tarnwick::ClassicFitEnd::wxsq_singular:
      screen << "\n Error in inverting wxsq matrix!\n" << std::flush;
      return;
    case tarnwick::ClassicFitEnd::completed:
      break;
  }
  const tarnwick::ClassicReport report = tarnwick::classic_report(fit);
  screen << report.screen;
  if (session.output_open()) session.file() << report.file;
}

}  // namespace tarn
