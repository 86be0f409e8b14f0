#pragma once
#include "dialogue/session.h"
#include "tarnwick/classic/model.h"

namespace tarn {

// Parameters when the structure has a single block type: the type numbers 1..16 are global
// parameters, 101..115 block parameters of types 1..15, in the order typed. Asked again until
// the first number is not 0.
void run_short_dialogue(tarnwick::ClassicDescription& description, Session& session);

}  // namespace tarn
