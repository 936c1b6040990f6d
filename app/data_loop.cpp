#include "app/data_loop.h"

#include "app/loop_control.h"
#include "app/popup.h"
#include "app/sensor_operation.h"
#include "app/vantrel.h"
#include "display/controls.h"
#include "display/data_curve.h"
#include "display/scope.h"
#include "display/status.h"
#include "link/data_block.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "link/reply_wait.h"
#include "param/params.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

namespace {
void ReadVideoLine() {
  for (int block = 0; block < 4; ++block) {
    ref_flag = (block == 3) ? 1 : 0;
    ReadData64(block * DATA_BLOCK_WORDS, ref_flag);
  }
}

// One measurement frame, with the notification installed just around it. The
// package is sent as it stands: from the second pass on it holds the words of
// the previous frame. Returns 1 when the frame came.
int RequestMeasurement() {
  InstallReceiveNotification();
  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  order = ORD_MEASURE;
  FillTxBuf(ORD_MEASURE, pp);
  tstart = Timer();
  WriteFrame(com);
  // A frame taken in during the last event processing still counts.
  // A wait given up because the device went away is no time-out: the loop
  // ends on the lost port and says so instead.
  const int received = WaitForRxFlag(TIMEOUT);
  if (received == 0) {
    if (PortLost() == 0) ShowStatus("Timeout RS232-Line!");
    stop_flag = 1;
  }
  RemoveReceiveNotification();
  return received;
}
// A device that went away ends the loop with one message instead of a
// time-out per block.
bool EndedByLostPort() {
  if (PortLost() == 0) return false;
  ReportPortLost();
  stop_flag = 1;
  return true;
}
}  // namespace

int CC_BTNData(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;
  if (BeginSensorOperation(OPERATION_DATA) == 0) return 0;
  // The first measurement request carries the package: after an unread set's
  // time-out that would be the program's start values.
  if (ReadSetIfUnread() == 0) {
    EndSensorOperation();
    return 0;
  }

  SetCtrlAttribute(panelHandle, GRAPH_Data, UI_ATTR_DIMMED, 0);
  ForceStoreToRam();
  if (ccdMode == 1) pix1 = pStart;
  ApplyXAxisRule();
  HidePanel(panelPopUp);
  hidePopUp = 1;
  stop_flag = 0;
  RemoveReceiveNotification();

  do {
    FlushInQ(com);
    FlushOutQ(com);
    ReadVideoLine();
    if (EndedByLostPort()) break;
    if (ccdMode == 1) {
      pix1 = pStart;
      ApplyWindowXAxis();
    }
    PlotDATACurve(adcbuf);
    const int measured = RequestMeasurement();
    if (EndedByLostPort()) break;
    // Without a frame the package holds older words (another order's reply,
    // or the last request): they are no measurement, and drawing them would
    // also take their teach value and tolerance into the variables.
    if (measured == 1) {
      pix1 = pp[5];
      PlotRAWValues();
    }
    ProcessSystemEvents();
  } while (stop_flag == 0);

  InstallReceiveNotification();
  FlushOutQ(com);
  FlushInQ(com);
  EndSensorOperation();
  return 0;
}
