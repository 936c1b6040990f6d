// Starting and stopping the real program inside a test: the same start-up and
// shutdown procedures the executable runs, with the panel resource of the
// source tree and COM1 pointed at the test's sensor.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/popup.h"
#include "app/sensor_operation.h"
#include "app/vantrel.h"
#include "display/controls.h"
#include "display/scope.h"
#include "display/status.h"
#include "link/data_block.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/reply_wait.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "runtime/testing/inspect.h"
#include "runtime/testing/resource_path.h"
#include "runtime/userint.h"

// State a fresh process starts with and that start-up itself does not assign.
inline void ResetProgramState() {
  ccdtype = ccdmaxpixel = ccdresolution = 0;
  szVersion[0] = '\0';
  szStatus[0] = '\0';
  pix1 = edcnt = mvstart = mvend = 0;
  scaleF = 1.0f;
  hidePopUp = 1;
  graphrefresh = 0;
  sensorOperation = OPERATION_NONE;
  std::memset(adcbuf, 0, sizeof adcbuf);
  std::memset(pp, 0, sizeof pp);
}

// Starts the program against the device `com1` (a pty path); returns the
// start-up result.
inline int StartProgram(const std::string& com1) {
  setenv("VANTREL_COM1", com1.c_str(), 1);
  ResetProgramState();
  return StartUp(0, nullptr, PanelResourcePath());
}

inline std::string StatusLine() {
  return InspectTextBoxLine(panelHandle, TEXT_Status, 0);
}

inline uint16_t U16(int panel, int control) {
  uint16_t value = 0;
  GetCtrlVal(panel, control, &value);
  return value;
}

inline int Dimmed(int panel, int control) {
  int value = -1;
  GetCtrlAttribute(panel, control, UI_ATTR_DIMMED, &value);
  return value;
}
