#include "dialogue/fit_step.h"

#include <optional>

#include "fit/pseudo_likelihood.h"
#include "model/model.h"
#include "network/comparative_file.h"
#include "report/classic_report.h"
#include "report/fixed_field.h"

namespace tarn {

namespace {

void show_pass(std::ostream& screen, int pass) {
  if (pass == 2) {
    screen << ".. 2";
  } else if (pass == final_pass) {
    screen << ".. Final\n";
  } else if (pass >= first_newton_pass) {
    screen << ".." << int_field(pass, 2);
  }
  screen << std::flush;
}

}  // namespace

void fit_model(const DialogueState& state, ChosenModel& chosen, Session& session) {
  std::ostream& screen = session.screen();
  const Network& network = state.network;
  // The progress line begins before the comparative file is read, so that a fault in that file
  // is shown where the first pass meets it.
  screen << " Pass  1" << std::flush;
  Study study;
  TermContext context;
  context.node_count = network.node_count;
  if (chosen.comparative_file) {
    study.comparative = std::make_shared<const ComparativeNetwork>(
        read_comparative_file(*chosen.comparative_file, network.node_count));
    context.comparative = std::make_shared<const DyadValues>(DyadValues::of(*study.comparative));
  }
  if (chosen.layout.has_block_parameter()) {
    study.blocks = std::make_shared<const DyadBlocks>(
        dyad_blocks(state.blocking, state.attributes, network.node_count));
    context.blocks = study.blocks;
    context.block_type_count = chosen.layout.block_type_count;
  }
  study.network = network;
  study.include_diagonal = state.include_diagonal;
  study.model = build_model(chosen.description, chosen.layout.block_type_count, context);

  FitObserver observer;
  observer.pass_started = [&screen](int pass) { show_pass(screen, pass); };
  const FitResult result = fit_pseudo_likelihood(study, observer);

  switch (result.end) {
    case FitEnd::dependent:
      screen << "\n Statistics linearly dependent! Try again...\n" << std::flush;
      return;
    case FitEnd::wxsq_singular:
      screen << "\n Error in inverting wxsq matrix!\n" << std::flush;
      return;
    case FitEnd::completed:
      break;
  }
  if (session.output_open()) {
    write_report(chosen.layout, state.blocking, result, screen, session.file());
  } else {
    std::ostream nowhere(nullptr);  // no output file open: the screen part only
    write_report(chosen.layout, state.blocking, result, screen, nowhere);
  }
}

}  // namespace tarn
