#include "app/teach.h"

#include "display/controls.h"
#include "display/panel_values.h"
#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "link/reply_wait.h"
#include "param/params.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

int CC_ButtonTeach(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                   int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;

  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  order = ORD_TEACH;
  // The package goes out as it stands: what was last packed or received.
  FillTxBuf(ORD_TEACH, pp);
  WriteFrame(com);
  // The write found the device gone and said so: nothing was taught.
  if (nBytesW < 0 && PortLost() == 1) return 0;
  ShowStatus("New setpoint value teached!");

  tstart = Timer();
  SetWaitDeadline(tstart + TEACH_SETPOINT_LIMIT);
  for (;;) {
    if (rx_flag == 1) {
      PushGET(RAM);
      return 0;
    }
    ProcessSystemEvents();
    // Gone while waiting: no confirmation can come, and none is waited for.
    if (PortLost() == 1) {
      ReportPortLost();
      return 0;
    }
    tdiff = Timer() - tstart;
    // Silence is said: the teach message alone would claim a teach that no
    // sensor confirmed.
    if (!(tdiff < TEACH_SETPOINT_LIMIT)) {
      SetStatusText("Timeout-RS-232...");
      ShowStatusText();
      return 0;
    }
  }
}

namespace {
void BackgroundTeachPress() {
  SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, 1);
  SetCtrlVal(panelPopUp, LED_TeachBackGround, 1);

  GetPanelValues();
  CopyVarsToPP();
  FlushOutQ(com);
  FlushInQ(com);
  order = ORD_TEACH;
  FillTxBuf(ORD_TEACH, pp);
  WriteFrame(com);
  if (nBytesW == FRAME_LEN) ShowStatus("Line Ok!");

  tstart = Timer();
  // Cleared only after the write, with no events processed in between, so the
  // answer cannot be lost.
  rx_flag = 0;
  if (WaitForRxFlag(TIMEOUT) == 1) {
    GetRxBuf(PNUM);
    SetStatusText("Teach order echo received! - Line Ok!");
  } else {
    SetStatusTextUnlessLost("Timeout-RS-232...");
  }
  ShowStatusText();
}

void BackgroundTeachCommit() {
  if (rx_flag != 0) PushGET(RAM);
  SetCtrlVal(panelPopUp, LED_TeachBackGround, 0);
  SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, 0);
}
}  // namespace

int CC_BTNTeachBackGround(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                          int /*eventData1*/, int /*eventData2*/) {
  if (event == UI_EVENT_LEFT_PRESS) BackgroundTeachPress();
  if (event == UI_EVENT_COMMIT) BackgroundTeachCommit();
  return 0;
}
