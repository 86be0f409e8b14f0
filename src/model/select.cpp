#include "model/select.h"

namespace tarn {

void select(Records&, Io&) {}

}  // namespace tarn
