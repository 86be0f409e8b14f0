#include "model/select.h"

#include "model/blocking.h"
#include "model/parameter_selection.h"

namespace tarn {

void select(Records& rec, Io& io) {
  settle_blocking(rec, io);
  choose_parameters(rec, io);
}

}  // namespace tarn
