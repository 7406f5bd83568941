// The start-up floor for a tool of orlocli's shape: a dynamically linked C++
// program that writes one line through iostreams. bench/startup.sh and the
// startup_budget test measure orlocli against it.
#include <iostream>

int main() {
  std::cout << "hello, world\n";
  return 0;
}
