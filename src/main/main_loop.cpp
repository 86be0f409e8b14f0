#include "main/main_loop.h"

#include <exception>
#include <memory>
#include <new>
#include <string>

#include "fit/fit_model.h"
#include "input/readin.h"
#include "model/select.h"
#include "store/fatal_error.h"

namespace tarn {

void main_loop(Records& rec, Io& io) {
  rec.flags.output_open = 0;
  rec.data.zero = 0.0;
  rec.data.one = 1.0;
  std::ostream& screen = io.screen();
  screen << "\n Tarnwick\n Pseudo-likelihood fits of random-graph models (March, 1999)\n\n";
  for (;;) {
    bool same_files = false;
    if (rec.flags.output_open != 0) {
      screen << '\n';
      io.console.prompt(" Continue? (y or n): ");
      if (!io.console.read_yes()) {
        io.close_output();
        return;
      }
      io.console.prompt(" Same files? (y or n): ");
      same_files = io.console.read_yes();
    }
    if (!same_files) {
      readin(rec, io);
      io.check_output();  // an output file that takes no writes is reported at once
    }
    select(rec, io);
    fit_model(rec, io);
    io.check_output();
  }
}

namespace {

// Ends a run that did not end in order: the message on a line of its own after an empty line,
// then the output file flushed and closed, so that everything written to it before stays.
int end_run(Io& io, std::ostream& out, const std::string& message, int status) {
  out << '\n' << ' ' << message << '\n';
  try {
    io.close_output();
  } catch (const FatalError& second) {
    out << ' ' << second.what() << '\n';
    if (status == 0) status = second.exit_status();
  }
  out.flush();
  return status;
}

}  // namespace

int run(std::istream& in, std::ostream& out) {
  auto rec = std::make_unique<Records>();  // zero-filled, a few megabytes: kept off the stack
  return run(*rec, in, out);
}

int run(Records& rec, std::istream& in, std::ostream& out) {
  Io io(in, out);
  try {
    main_loop(rec, io);
    out.flush();
    return 0;
  } catch (const FatalError& error) {
    return end_run(io, out, error.what(), error.exit_status());
  } catch (const std::bad_alloc&) {
    return end_run(io, out, "Out of memory: the input is too large to be read; the run ends.", 1);
  } catch (const std::exception& error) {
    return end_run(io, out, std::string("Unexpected error: ") + error.what() + "; the run ends.", 1);
  }
}

}  // namespace tarn
