#include "app/parameter_callbacks.h"

#include <cstdio>

#include "app/vantrel.h"

#include "app/popup.h"
#include "app/sensor_operation.h"
#include "display/controls.h"
#include "display/data_curve.h"
#include "display/display_unit.h"
#include "display/panel_values.h"
#include "display/status.h"
#include "link/data_block.h"
#include "link/port.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "param/range_check.h"
#include "protocol/parameter_ranges.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

int CC_NEDITVideoThreshold(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                           int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT && event != UI_EVENT_LEFT_PRESS) return 0;
  uint16_t threshold = 0;
  GetCtrlVal(panelHandle, NEDITVideoThreshold, &threshold);
  SetThresholdArray(threshold);
  PlotDATACurve(adcbuf);
  return 0;
}

int CC_DropDEvalmode(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                     int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_VALUE_CHANGED) return 0;
  uint16_t mode = 0;
  GetCtrlVal(panelHandle, DropDEvalmode, &mode);
  SetCtrlAttribute(panelPopUp, NUM_ScalFact, UI_ATTR_DIMMED, mode == 2 ? 0 : 1);
  return 0;
}

int CC_DropDCom(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                int /*eventData1*/, int /*eventData2*/) {
  // Every choice ends in a commit (a changed one after its value change): one
  // choice, one bring-up.
  if (event != UI_EVENT_COMMIT) return 0;
  if (BeginSensorOperation(OPERATION_BRING_UP) == 0) return 0;
  CloseCom(com);  // a port that was never opened cannot be closed; nothing to do then
  GetCtrlVal(panelHandle, DropDCom, &com);
  ShowPortInTitle();
  ShowStatus("Init COM-Port ...");
  InitRS232(com);
  EndSensorOperation();
  return 0;
}

namespace {
// An evaluation window that runs backwards evaluates nothing: such an entry is
// not taken, and its edit shows again what it showed before.
bool WindowTaken(uint16_t from, uint16_t to, int edited) {
  if (protocol::WindowRunsForward(from, to)) {
    windowFromShown = from;
    windowToShown = to;
    return true;
  }
  char text[STATUS_LEN + 1];
  std::snprintf(text, sizeof text, "Not taken: evaluation from %u is beyond evaluation to %u", from,
                to);
  ShowStatus(text);
  SetCtrlVal(panelHandle, edited, edited == NEDITEdgeLeft ? windowFromShown : windowToShown);
  return false;
}
}  // namespace

int CC_NEDITEdgeLeft(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                     int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;
  uint16_t left = 0, right = 0;
  GetCtrlVal(panelHandle, NEDITEdgeLeft, &left);
  GetCtrlVal(panelHandle, NEDITEdgeRight, &right);
  if (!WindowTaken(left, right, NEDITEdgeLeft)) return 0;
  SetGraphCursor(panelHandle, GRAPH_Scope, 2, left, 1.0);
  return 0;
}

int CC_NEDITEdgeRight(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                      int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;
  uint16_t left = 0, right = 0;
  GetCtrlVal(panelHandle, NEDITEdgeLeft, &left);
  GetCtrlVal(panelHandle, NEDITEdgeRight, &right);
  // Cut back to the line, which before the sensor has said otherwise is the
  // longer one: never to an empty window.
  const uint16_t line = PixelLimit();
  const bool beyond = right > line;
  if (beyond) right = line;
  if (!WindowTaken(left, right, NEDITEdgeRight)) return 0;
  if (beyond) {
    eEnd = right;
    SetCtrlVal(panelHandle, NEDITEdgeRight, right);
  }
  SetGraphCursor(panelHandle, GRAPH_Scope, 3, right, 1.0);
  return 0;
}

int CC_BINSWITCH_UM(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_VALUE_CHANGED) return 0;
  // What the read-outs show now (edits on the settings panel included) in the
  // other unit; the entries keep their pixels, so nothing the sensor gets
  // changes.
  ShowInChosenUnit();
  return 0;
}

int CC_BTN_CCDSettings(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                       int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;
  if (hidePopUp == 0) {
    HidePanel(panelPopUp);
    hidePopUp = 1;
  } else {
    DisplayPanel(panelPopUp);
    hidePopUp = 0;
  }
  return 0;
}
