#include <iostream>

#include "main/main_loop.h"

int main() {
  std::ios::sync_with_stdio(false);
  return tarn::run(std::cin, std::cout);
}
