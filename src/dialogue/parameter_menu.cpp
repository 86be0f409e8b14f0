#include "dialogue/parameter_menu.h"

namespace tarn {

void show_parameter_menu(std::ostream& screen) {
  screen << '\n'
         << " Select from \n"
         << " Edges:     1) i->j,         REdges:          2) i<>j\n"
         << " 2Stars:    3) k<-i->j,      4) k->i<-j,      5) k->i->j\n"
         << " Triads:    6) i->j->k<-i,   7) i->j->k->i,\n"
         << " R2Stars:   8) k<>i->j,      9) k<>i<-j,     10) k<>i<>j\n"
         << " RTriads:  11) i<>j->k<-i,  12) i<>j<-k->i,  13) i<>j<-k<-i\n"
         << "           14) i<>j<>k<-i,  15) i<>j<>k<>i\n"
         << " Comparative network:       16)\n";
}

}  // namespace tarn
