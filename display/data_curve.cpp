#include "display/data_curve.h"

#include "display/controls.h"
#include "display/scope.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "runtime/userint.h"

#include <algorithm>
#include <cstdio>

uint16_t xArray[VIDEO_SAMPLES] = {};
uint16_t thdArray[VIDEO_SAMPLES] = {};

namespace {
constexpr int PLOT_STYLE_JOINED = 5;
constexpr int POINT_STYLE_DOT = 10;
constexpr int LINE_STYLE_SOLID = 0;
}  // namespace

void PlotDATACurve(const uint16_t* samples) {
  SetAxisScalingMode(panelHandle, GRAPH_Data, UI_AXIS_LEFT_Y, UI_SCALE_MANUAL, 0.0, 1023.0);
  DeleteGraphPlot(panelHandle, GRAPH_Data, UI_ALL_PLOTS, UI_REDRAW_DELAYED);
  PlotXY(panelHandle, GRAPH_Data, xArray, samples, VIDEO_SAMPLES, UI_TYPE_U16, UI_TYPE_U16,
         PLOT_STYLE_JOINED, POINT_STYLE_DOT, LINE_STYLE_SOLID, 1, COLOR_BAR);
  PlotXY(panelHandle, GRAPH_Data, xArray, thdArray, VIDEO_SAMPLES, UI_TYPE_U16, UI_TYPE_U16,
         PLOT_STYLE_JOINED, POINT_STYLE_DOT, LINE_STYLE_SOLID, 1, COLOR_THRESHOLD);
  // In words for a screen reader: the video line's range and the threshold.
  const auto [lowest, highest] = std::minmax_element(samples, samples + VIDEO_SAMPLES);
  char words[96];
  std::snprintf(words, sizeof words, "Video line from %u to %u; threshold %u", unsigned{*lowest},
                unsigned{*highest}, unsigned{thdArray[0]});
  SetCtrlAttribute(panelHandle, GRAPH_Data, UI_ATTR_GRAPH_SUMMARY, words);
}

void ApplyWindowXAxis() {
  SetAxisScalingMode(panelHandle, GRAPH_Data, UI_AXIS_X, UI_SCALE_MANUAL, pix1, pix1 + 256.0);
  for (int i = 0; i < VIDEO_SAMPLES; ++i) xArray[i] = static_cast<uint16_t>(pix1 + i);
}

void ApplyXAxisRule() {
  if (ccdMode != 0) {
    ApplyWindowXAxis();
    return;
  }
  // Before any CCD information the range 1..0 is refused and the axis stays.
  SetAxisScalingMode(panelHandle, GRAPH_Data, UI_AXIS_X, UI_SCALE_MANUAL, 1.0, ccdmaxpixel);
  const int step = (ccdmaxpixel == 1024) ? 4 : 2;
  for (int i = 0; i < VIDEO_SAMPLES; ++i) xArray[i] = static_cast<uint16_t>(step * i);
}

void SetThresholdArray(uint16_t threshold) {
  for (int i = 0; i < VIDEO_SAMPLES; ++i) thdArray[i] = threshold;
}
