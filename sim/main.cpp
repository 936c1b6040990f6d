// Placeholder until the simulator program lands.
#include <cstdio>
int main() {
  std::puts("vantrel-sim: not built yet");
  return 1;
}
