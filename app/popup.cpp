#include "app/popup.h"

#include "app/sensor_operation.h"
#include "app/vantrel.h"
#include "display/controls.h"
#include "display/display_unit.h"
#include "display/scope.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "runtime/userint.h"

uint16_t hidePopUp = 1;

namespace {
constexpr int32_t WINDOW_SPAN = 255;   // a window ends 255 pixels after its start
constexpr int32_t SHORTER_LINE = 512;  // pixels of the smaller of the sensors' lines

void SetDimmed(int control, int dimmed) {
  SetCtrlAttribute(panelPopUp, control, UI_ATTR_DIMMED, dimmed);
}

// The band and cursor M follow the teach and tolerance edits, with L and R
// where the limit edits put them. While a loop runs the scope shows the
// sensor's own values, frame by frame.
void ShowEditedSetOnScope() {
  if (stop_flag == 0) return;
  uint16_t teach = 0, tolerance = 0, from = 0, to = 0;
  GetCtrlVal(panelPopUp, NEDITTeach, &teach);
  GetCtrlVal(panelPopUp, NEDITTolerance, &tolerance);
  GetCtrlVal(panelHandle, NEDITEdgeLeft, &from);
  GetCtrlVal(panelHandle, NEDITEdgeRight, &to);
  PlotSetOnScope(teach, tolerance, from, to);
}
}  // namespace

int32_t PixelStartLimit() {
  const int32_t limit = static_cast<int32_t>(ccdmaxpixel) - WINDOW_SPAN;
  // Without a line long enough for a window the limit would be negative and
  // wrap into a start far beyond any line.
  if (limit < 0) return SHORTER_LINE - WINDOW_SPAN;
  return limit;
}

int CC_POPUP_PANEL(int /*panel*/, int event, void* /*callbackData*/, int /*eventData1*/,
                   int /*eventData2*/) {
  // Hidden the same way as by the settings button, so that button's next
  // click shows the panel again.
  if (event == UI_EVENT_CLOSE) {
    HidePanel(panelPopUp);
    hidePopUp = 1;
  }
  return 0;
}

int CC_BIN_Switch_VGain(int /*panel*/, int /*control*/, int /*event*/, void* /*callbackData*/,
                        int /*eventData1*/, int /*eventData2*/) {
  return 0;
}

int CC_NSLIDE_PixelStart(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                         int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_VALUE_CHANGED) return 0;
  uint16_t start = 0;
  GetCtrlVal(panelPopUp, NSLIDE_PixelStart, &start);
  const int32_t limit = PixelStartLimit();
  if (start > limit) {
    start = static_cast<uint16_t>(limit);
    SetCtrlVal(panelPopUp, NSLIDE_PixelStart, start);
  }
  SetCtrlVal(panelPopUp, NUM_PixelEnd, static_cast<uint16_t>(start + WINDOW_SPAN));
  return 0;
}

int CC_RING_CCDMode(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;
  uint16_t mode = 0;
  GetCtrlVal(panelPopUp, RING_CCDMode, &mode);
  const int dimmed = mode == 1 ? 0 : 1;
  SetDimmed(NSLIDE_PixelStart, dimmed);
  SetDimmed(NUM_PixelEnd, dimmed);
  return 0;
}

int CC_RING_CCDBGMode(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                      int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_VALUE_CHANGED) return 0;
  uint16_t mode = 0;
  GetCtrlVal(panelPopUp, RING_CCDBGMode, &mode);
  SetDimmed(NUM_BGValue, mode == 1 ? 0 : 1);
  // While another operation talks to the sensor the teach stays dimmed; it is
  // offered when that operation ends.
  DimBackgroundTeach(mode == 2 ? 0 : 1);
  return 0;
}

int CC_BIN_Sw_EnableTol(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                        int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_VALUE_CHANGED) return 0;
  uint16_t fromSensor = 0;
  GetCtrlVal(panelPopUp, BIN_Sw_EnableTol, &fromSensor);
  SetDimmed(NEDITTolerance, fromSensor == 1 ? 1 : 0);
  return 0;
}

int CC_NEDITTolerance(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                      int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_VALUE_CHANGED) return 0;
  uint16_t tolerance = 0;
  GetCtrlVal(panelPopUp, NEDITTolerance, &tolerance);
  ShowReadout(NUM_Tolerance, tolerance, ReadoutForm::kInteger);
  ShowEditedSetOnScope();
  return 0;
}

int CC_NEDITTeach(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;
  uint16_t teach = 0;
  GetCtrlVal(panelPopUp, NEDITTeach, &teach);
  // In micrometres without the scale factor, unlike the unit switch.
  ShowReadout(NUM_TeachValue, teach, ReadoutForm::kInteger);
  ShowEditedSetOnScope();
  return 0;
}

int CC_NUM_ScalFact(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_VALUE_CHANGED) return 0;
  float factor = 1.0f;
  GetCtrlVal(panelPopUp, NUM_ScalFact, &factor);
  scaleF = factor;
  para15 = ScaleFactorToPara15(factor);
  return 0;
}
