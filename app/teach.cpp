#include "app/teach.h"

#include "app/sensor_operation.h"
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
  if (BeginSensorOperation(OPERATION_TEACH) == 0) return 0;

  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  order = ORD_TEACH;
  // The package goes out as it stands: what was last packed or received.
  FillTxBuf(ORD_TEACH, pp);
  WriteFrame(com);
  // The write found the device gone and said so: nothing was taught.
  if (nBytesW < 0 && PortLost() == 1) {
    EndSensorOperation();
    return 0;
  }
  // Success is said once the sensor has answered, not when the order leaves.
  ShowStatus("Waiting for the teach answer ...");

  tstart = Timer();
  SetWaitDeadline(tstart + TEACH_SETPOINT_LIMIT);
  for (;;) {
    if (rx_flag == 1) {
      ShowStatus("New setpoint value teached!");
      PushGET(RAM);
      break;
    }
    ProcessSystemEvents();
    // Gone while waiting: no confirmation can come, and none is waited for.
    if (PortLost() == 1) {
      ReportPortLost();
      break;
    }
    tdiff = Timer() - tstart;
    if (!(tdiff < TEACH_SETPOINT_LIMIT)) {
      SetStatusText("Timeout-RS-232...");
      ShowStatusText();
      break;
    }
  }
  EndSensorOperation();
  return 0;
}

namespace {
// 1 from a press that sent the teach until the commit of its click.
int32_t backgroundTeachPressed = 0;

void BackgroundTeachPress() {
  if (BeginSensorOperation(OPERATION_BACKGROUND_TEACH) == 0) return;
  // The teach sends the panels' set, and the sensor keeps it: never a set
  // nobody read or chose.
  if (setOrigin == SET_UNREAD) {
    ShowStatus("Not taught: parameters unread - use Get parameters or load a file");
    EndSensorOperation();
    return;
  }
  backgroundTeachPressed = 1;
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
  EndSensorOperation();
  // The button waits for the end of its click.
  SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, 1);
}

void BackgroundTeachCommit() {
  if (backgroundTeachPressed == 0) return;
  backgroundTeachPressed = 0;
  if (rx_flag != 0 && BeginSensorOperation(OPERATION_BACKGROUND_TEACH) == 1) {
    PushGET(RAM);
    EndSensorOperation();
  }
  SetCtrlVal(panelPopUp, LED_TeachBackGround, 0);
  DimBackgroundTeach(0);
}
}  // namespace

int CC_BTNTeachBackGround(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                          int /*eventData1*/, int /*eventData2*/) {
  if (event == UI_EVENT_LEFT_PRESS) BackgroundTeachPress();
  if (event == UI_EVENT_COMMIT) BackgroundTeachCommit();
  return 0;
}
