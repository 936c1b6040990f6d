// Fuzz target: the parameter-file reader. Any file the operator picks is
// either loaded whole or refused with the package and the variables left as
// they were; the array-file operation beneath it must never read or write out
// of bounds.
#include <array>
#include <cstdlib>
#include <cstring>

#include "display/status.h"
#include "param/parafile.h"
#include "param/params.h"
#include "runtime/testing/inspect.h"
#include "runtime/utility.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  StartEngineWithPanels(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("para.dat", data, size);

  // The engine's reader on its own, as the parameter file uses it.
  std::array<uint32_t, 17> words;
  words.fill(0xA5A5A5A5u);
  const int read = FileToArray(path.c_str(), words.data(), UI_DATA_U32, 16, 1, 0, 0, UI_FILE_ASCII);
  if (words[16] != 0xA5A5A5A5u) std::abort();  // wrote beyond the 16 values

  // The program's load: the same file picked in the load dialog.
  SetParameterDefaults();
  CopyVarsToPP();
  uint16_t before[16];
  std::memcpy(before, pp, sizeof pp);
  ClearFileSelectAnswers();
  QueueFileSelectAnswer(1, path);
  ReadParaFromFile();
  if (read < 0 && std::memcmp(before, pp, sizeof pp) != 0) std::abort();  // refused, yet changed
  RequireTerminated(szStatus, sizeof szStatus, "szStatus");
  if (read == 0) {
    for (int i = 0; i < 16; ++i)
      if (pp[i] != static_cast<uint16_t>(words[i])) std::abort();  // loaded other values
  }
  return 0;
}
