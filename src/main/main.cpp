#include <iostream>

#include "dialogue/main_loop.h"

int main() {
  std::ios::sync_with_stdio(false);
  return tarn::run_dialogue(std::cin, std::cout);
}
