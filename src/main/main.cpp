#include <iostream>

#include "cli/command_line.h"
#include "dialogue/main_loop.h"

// Without arguments the dialogue; with arguments the command line.
int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  if (argc <= 1) return tarn::run_dialogue(std::cin, std::cout);
  return tarn::run_command_line(argc, argv, std::cout, std::cerr);
}
