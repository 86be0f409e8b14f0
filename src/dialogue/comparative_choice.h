#pragma once
#include "dialogue/session.h"
#include "tarnwick/classic/data.h"

namespace tarn {

// Asks for the comparative network file until an existing one is named, opens it and names it
// in the output file. It is read when the fit begins.
tarnwick::ClassicFile choose_comparative_file(Session& session);

}  // namespace tarn
