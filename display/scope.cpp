#include "display/scope.h"

#include "display/controls.h"
#include "display/display_unit.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "runtime/userint.h"

#include <cstdio>

uint16_t pix1 = 0;
uint16_t edcnt = 0;
uint16_t mvstart = 0;
uint16_t mvend = 0;

namespace {
constexpr double CURSOR_HEIGHT = 0.75;
constexpr double SET_CURSOR_HEIGHT = 1.0;  // cursors of a set, as at start-up
constexpr double BAND_TOP = 0.25;          // bands below, bars above
constexpr double BAR_TOP = 1.0;

// Position the evaluation reports: an edge, or the middle of both edges.
uint16_t EvaluatedPosition(uint16_t first, uint16_t second) {
  if (eMode == 0) return first;
  if (eMode == 1) return second;
  if (first == 0 || second == 0) return 1;
  return static_cast<uint16_t>((static_cast<int>(first) + static_cast<int>(second)) / 2);
}

void ShowReadOuts() {
  ShowReadout(NUM_FirstEdge, pp[0], ReadoutForm::kInteger);
  ShowReadout(NUM_SecondEdge, pp[1], ReadoutForm::kInteger);
  ShowReadout(NUM_MeasuredValue, pp[2], ReadoutForm::kScaled);
  ShowReadout(NUM_TeachValue, pp[3], ReadoutForm::kScaled);
  ShowReadout(NUM_Tolerance, pp[4], ReadoutForm::kInteger);
}

// A window of 256 pixels must lie on the line: it starts at 768 at most on a
// 1024-pixel line, at 256 at most on any other (or an unknown) line.
uint16_t LimitWindowStart(uint16_t start) {
  const uint16_t highest = (ccdmaxpixel == 1024) ? 768 : 256;
  return start > highest ? highest : start;
}

void DrawBar(double left, double right) {
  PlotRectangle(panelHandle, GRAPH_Scope, left, BAND_TOP, right, BAR_TOP, COLOR_BAR, COLOR_BAR);
}

// The ends of the bands drawn for the current picture, for its words.
int bandEnds[4] = {};
int bandCount = 0;

void DrawBand(int left, int right) {
  PlotRectangle(panelHandle, GRAPH_Scope, left, 0.0, right, BAND_TOP, COLOR_BAND, COLOR_BAND);
  if (bandCount == 2) return;
  bandEnds[2 * bandCount] = left;
  bandEnds[2 * bandCount + 1] = right;
  ++bandCount;
}

// Ends of a band kept on the line: left at 1 at least, right at 1024 at most.
int LimitBandLeft(int left) {
  return left < 0 ? 1 : left;
}
int LimitBandRight(int right) {
  return right > 1023 ? 1024 : right;
}

// The picture in words for a screen reader: edges, measured value, the bands
// as drawn and the evaluation window.
void DescribeScope(unsigned first, unsigned second) {
  char words[200];
  int n = edcnt == 0 ? std::snprintf(words, sizeof words, "No edge")
          : edcnt == 1
              ? std::snprintf(words, sizeof words, "Edge at pixel %u", first)
              : std::snprintf(words, sizeof words, "Edges at pixel %u and %u", first, second);
  n += std::snprintf(words + n, sizeof words - n, "; measured value %u; tolerance band %d to %d",
                     unsigned{pp[2]}, bandEnds[0], bandEnds[1]);
  if (bandCount == 2)
    n += std::snprintf(words + n, sizeof words - n, " and %d to %d", bandEnds[2], bandEnds[3]);
  std::snprintf(words + n, sizeof words - n, "; evaluation window %u to %u", unsigned{eBeg},
                unsigned{eEnd});
  SetCtrlAttribute(panelHandle, GRAPH_Scope, UI_ATTR_GRAPH_SUMMARY, words);
}
}  // namespace

void PlotRAWValues() {
  const uint16_t first = pp[0];
  const uint16_t second = pp[1];

  uint16_t position = EvaluatedPosition(first, second);
  if (eMode != 2) scaleF = 1.0f;

  ShowReadOuts();

  tVal = pp[3];
  tTol = pp[4];
  pix1 = pp[5];
  edcnt = pp[6];
  mvstart = pp[7];
  mvend = pp[8];

  uint16_t low = 0;
  uint16_t high = 0;
  if (ccdMode == 1 || ccdMode == 2) {
    low = LimitWindowStart(ccdMode == 1 ? pStart : pix1);
    high = static_cast<uint16_t>(low + 256);
    SetAxisScalingMode(panelHandle, GRAPH_Scope, UI_AXIS_X, UI_SCALE_MANUAL, low, high);
  } else {
    low = 0;
    high = (ccdmaxpixel == 1024) ? 1024 : 512;
    SetAxisScalingMode(panelHandle, GRAPH_Scope, UI_AXIS_X, UI_SCALE_MANUAL, low, high);
    SetGraphCursor(panelHandle, GRAPH_Scope, 2, eBeg, CURSOR_HEIGHT);
    SetGraphCursor(panelHandle, GRAPH_Scope, 3, eEnd, CURSOR_HEIGHT);
  }

  DeleteGraphPlot(panelHandle, GRAPH_Scope, UI_ALL_PLOTS, UI_REDRAW_NONE);

  if (position < low) position = low;
  if (position > high) position = high;
  SetGraphCursor(panelHandle, GRAPH_Scope, 1, position, CURSOR_HEIGHT);

  // A single edge: one bar on the side with the higher end level (left when
  // equal). Any other count: from the line's start to the first edge and from
  // the second edge to its end.
  if (edcnt == 1) {
    if (mvstart < mvend) {
      DrawBar(first, high);
    } else {
      DrawBar(low, first);
    }
  } else {
    DrawBar(low, first);
    DrawBar(second, high);
  }

  const int half = tVal / 2;
  const int tolerance = tTol / 2;
  bandCount = 0;
  if (eMode == 2) {
    // Two bands, tVal/2 either side of the evaluated position.
    const int centre = position;
    DrawBand(LimitBandLeft(centre - half - tolerance), LimitBandRight(centre - half + tolerance));
    DrawBand(centre + half - tolerance, centre + half + tolerance);
  } else {
    const int setPoint = tVal;
    const int width = tTol;
    DrawBand(LimitBandLeft(setPoint - width), LimitBandRight(setPoint + width));
  }
  DescribeScope(first, second);
}

void PlotSetOnScope(uint16_t teach, uint16_t tolerance, uint16_t from, uint16_t to) {
  DeleteGraphPlot(panelHandle, GRAPH_Scope, UI_ALL_PLOTS, UI_REDRAW_NONE);
  if (ccdMode == 0) {
    PlotRectangle(panelHandle, GRAPH_Scope, 0.0, 0.0, 1023.0, 1.0, COLOR_FRAME, COLOR_FRAME);
  } else {
    PlotRectangle(panelHandle, GRAPH_Scope, pStart, 0.0, pStart + 255.0, 1.0, COLOR_FRAME,
                  COLOR_FRAME);
  }
  // The band over the frame, which covers the whole picture; signed, as at
  // start-up: a tolerance wider than the teach value starts left of 0.
  const int setPoint = teach;
  const int width = tolerance;
  DrawBand(setPoint - width, setPoint + width);
  SetGraphCursor(panelHandle, GRAPH_Scope, 1, teach, SET_CURSOR_HEIGHT);
  SetGraphCursor(panelHandle, GRAPH_Scope, 2, from, SET_CURSOR_HEIGHT);
  SetGraphCursor(panelHandle, GRAPH_Scope, 3, to, SET_CURSOR_HEIGHT);
}
