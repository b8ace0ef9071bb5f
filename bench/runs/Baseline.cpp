// The yardstick of the whole-process timings: a bare C++ program that
// prints one line, linked the way the engine is.

#include <iostream>

int main() {
  std::cout << "Velloran baseline" << std::endl;
  return 0;
}
