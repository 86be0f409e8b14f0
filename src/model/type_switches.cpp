#include "model/type_switches.h"

namespace tarn {

void derive_type_switches(Records& rec) {
  Vec<int32, 16>& on = rec.flags.type_on;
  if (on(5) == 1 || on(8) == 1 || on(9) == 1 || on(10) == 1) on(2) = 1;

  const bool reciprocated_triads = on(11) == 1 || on(12) == 1 || on(13) == 1 || on(14) == 1;
  // Decided on type 6 as the user left it, before the triad types switch it on.
  rec.triad_out_only() = on(15) == 1 && on(6) == 0 && !reciprocated_triads ? 1 : 0;

  if (reciprocated_triads || on(15) == 1) {
    on(2) = 1;
    on(6) = 1;
  }
  if (on(13) == 1) on(7) = 1;
}

}  // namespace tarn
