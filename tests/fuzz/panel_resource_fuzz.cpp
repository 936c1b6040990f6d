// Fuzz target: the panel-resource loader. Any file is either refused with a
// negative result or becomes a panel that can be discarded again; neither the
// reader nor the panel builder may read or write out of bounds.
#include <cstdlib>

#include "runtime/userint.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!InitRuntime(*argc, *argv)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("panels.uir", data, size);
  const int main = LoadPanel(0, path.c_str(), 1);
  if (main > 0) {
    const int child = LoadPanel(main, path.c_str(), 2);
    if (child > 0) DiscardPanel(child);
    DiscardPanel(main);
  } else if (main == 0) {
    std::abort();  // 0 is neither a handle nor a failure
  }
  ProcessSystemEvents();
  return 0;
}
