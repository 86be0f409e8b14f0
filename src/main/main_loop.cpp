#include "main/main_loop.h"

#include <memory>

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
    if (!same_files) readin(rec, io);
    select(rec, io);
    fit_model(rec, io);
    io.check_output();
  }
}

int run(std::istream& in, std::ostream& out) {
  auto rec = std::make_unique<Records>();  // zero-filled, a few megabytes: kept off the stack
  Io io(in, out);
  try {
    main_loop(*rec, io);
    out.flush();
    return 0;
  } catch (const FatalError& error) {
    out << '\n' << ' ' << error.what() << '\n';
    try {
      io.close_output();
    } catch (const FatalError& second) {
      out << ' ' << second.what() << '\n';
    }
    out.flush();
    return error.exit_status();
  }
}

}  // namespace tarn
