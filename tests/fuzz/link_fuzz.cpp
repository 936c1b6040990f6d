// Fuzz target: the receive path. Whatever a sensor sends, in whatever pieces
// and at whatever moments, the link bring-up (line check, parameter read,
// firmware and CCD queries), a parameter read from the EEPROM, the Run loop
// and the Data loop (video blocks and measurement frames) must end, without
// reading or writing out of bounds, with terminated texts. The serial line is the in-process script
// of fake_line.h; everything above it is the program's own code.
#include <cstring>

#include "app/data_loop.h"
#include "app/loop_control.h"
#include "app/run_loop.h"
#include "display/controls.h"
#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/reply_wait.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "tests/fuzz/fake_line.h"
#include "tests/fuzz/fuzz_support.h"

namespace {
// The first byte picks how the port opens: mostly well, now and then with one
// of the failures the engine reports.
int OpenResult(uint8_t selector) {
  static const int kFailures[] = {-1, -2, -3, -4, -5, -6, -7, -13, -99, -42};
  if (selector >= 16) return 0;
  return kFailures[selector % (sizeof kFailures / sizeof kFailures[0])];
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  StartEngineWithPanels(argc, argv);
  fakeline::Install();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  fakeline::Reset(data + 1, size - 1, OpenResult(data[0]));
  SetParameterDefaults();
  std::memset(pp, 0, sizeof pp);
  com = 1;

  InitRS232(com);
  PushGET(EEPROM);
  // The loops end when the sensor stays silent: at the latest when the
  // script is used up.
  CC_BTNRun(panelHandle, BTNRun, UI_EVENT_COMMIT, nullptr, 0, 0);
  CC_BTNData(panelHandle, BTNData, UI_EVENT_COMMIT, nullptr, 0, 0);
  CloseCom(com);

  RequireTerminated(szStatus, sizeof szStatus, "szStatus");
  RequireTerminated(szVersion, sizeof szVersion, "szVersion");
  return 0;
}
