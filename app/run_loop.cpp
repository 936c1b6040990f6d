#include "app/run_loop.h"

#include "app/loop_control.h"
#include "app/sensor_operation.h"
#include "app/vantrel.h"
#include "display/controls.h"
#include "display/scope.h"
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

namespace {

// The next measurement request carries the variables as they stand now.
void BuildMeasureRequest() {
  CopyVarsToPP();
  FillTxBuf(ORD_MEASURE, pp);
}
}  // namespace

int CC_BTNRun(int /*panel*/, int /*control*/, int event, void* /*callbackData*/, int /*eventData1*/,
              int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;
  if (BeginSensorOperation(OPERATION_RUN) == 0) return 0;
  // Every request carries the variables: never a set nobody read or chose.
  if (ReadSetIfUnread() == 0) {
    EndSensorOperation();
    return 0;
  }

  SetCtrlAttribute(panelHandle, GRAPH_Scope, UI_ATTR_VISIBLE, 1);
  SetCtrlAttribute(panelHandle, GRAPH_Data, UI_ATTR_DIMMED, 1);
  ForceStoreToRam();

  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  order = ORD_MEASURE;
  BuildMeasureRequest();
  WriteFrame(com);
  if (nBytesW == FRAME_LEN) ShowStatus("Line Ok!");
  tstart = Timer();
  SetWaitDeadline(tstart + TIMEOUT);
  stop_flag = 0;
  graphrefresh = 0;

  do {
    // The received frame is drawn before the package is overwritten by the
    // next request: the drawing takes the sensor's teach value and tolerance.
    if (graphrefresh == 1) {
      PlotRAWValues();
      graphrefresh = 0;
    }
    if (rx_flag == 1) {
      FlushInQ(com);
      FlushOutQ(com);
      BuildMeasureRequest();
      rx_flag = 0;
      tstart = Timer();
      WriteFrame(com);
      SetWaitDeadline(tstart + TIMEOUT);
    }
    if (PortLost() == 1) {
      ReportPortLost();
      stop_flag = 1;
      break;
    }
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) {
      ShowStatus("Timeout RS232-Line!");
      stop_flag = 1;
      break;
    }
    ProcessSystemEvents();
  } while (stop_flag == 0);

  rx_flag = 0;
  FlushInQ(com);
  FlushOutQ(com);
  graphrefresh = 0;
  EndSensorOperation();
  return 0;
}
