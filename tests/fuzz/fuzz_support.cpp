#include "tests/fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/vantrel.h"
#include "display/controls.h"
#include "runtime/testing/resource_path.h"
#include "runtime/userint.h"

void StartEngineWithPanels(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!InitRuntime(*argc, *argv)) std::abort();
  RegisterCallbacks();
  panelHandle = LoadPanel(0, PanelResourcePath(), 1);
  panelPopUp = LoadPanel(panelHandle, PanelResourcePath(), 2);
  if (panelHandle < 0 || panelPopUp < 0) std::abort();
  InitVars();
}

std::string WriteScratchFile(const char* name, const uint8_t* data, size_t size) {
  const char* dir = std::getenv("TMPDIR");
  const std::string path =
      std::string(dir ? dir : "/tmp") + "/vantrel-fuzz-" + std::to_string(getpid()) + "-" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

void RequireTerminated(const char* text, size_t capacity, const char* what) {
  if (std::memchr(text, '\0', capacity) == nullptr) {
    std::fprintf(stderr, "%s is not terminated within %zu bytes\n", what, capacity);
    std::abort();
  }
}
