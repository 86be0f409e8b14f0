#pragma once
#include <ostream>

namespace tarn {

// The menu of the 16 configuration types, after an empty line.
void show_parameter_menu(std::ostream& screen);

}  // namespace tarn
