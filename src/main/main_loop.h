#pragma once
#include <istream>
#include <ostream>

#include "input/io.h"
#include "store/records.h"

namespace tarn {

// Banner, then cycles of readin, select and fit_model until the user declines to continue.
// Returns the exit status; a fatal error is reported on the screen, the output file is flushed
// and closed, and its status returned.
int run(std::istream& in, std::ostream& out);
// The same on records the caller owns, which must be as at program start (all zero).
int run(Records& rec, std::istream& in, std::ostream& out);

// The loop itself, on records and channels the caller owns (throws FatalError).
void main_loop(Records& rec, Io& io);

}  // namespace tarn
