// The scope's picture of a measurement reply: read-outs, copies, range,
// cursors, bars and bands, as display lists.
#include <gtest/gtest.h>

#include <vector>

#include "display/scope.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "runtime/testing/inspect.h"
#include "tests/unit/live_panels.h"

namespace {
struct Rect {
  double x1, y1, x2, y2;
  int color;
  bool operator==(const Rect&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.x1 << "," << r.y1 << ")-(" << r.x2 << "," << r.y2 << ") #" << std::hex
             << r.color << std::dec;
}

std::vector<Rect> Rectangles() {
  std::vector<Rect> out;
  for (const GraphPlotInfo& p : InspectGraphPlots(panelHandle, GRAPH_Scope)) {
    EXPECT_EQ(p.kind, GraphPlotKind::Rectangle);
    EXPECT_EQ(p.color, p.fillColor);
    out.push_back({p.x[0], p.y[0], p.x[1], p.y[1], p.color});
  }
  return out;
}
std::vector<Rect> Bars() {
  std::vector<Rect> out;
  for (const Rect& r : Rectangles()) {
    if (r.color == 0xFF0000) out.push_back(r);
  }
  return out;
}
std::vector<Rect> Bands() {
  std::vector<Rect> out;
  for (const Rect& r : Rectangles()) {
    if (r.color == 0x00FF00) out.push_back(r);
  }
  return out;
}
Rect Bar(double x1, double x2) {
  return {x1, 0.25, x2, 1.0, 0xFF0000};
}
Rect Band(double x1, double x2) {
  return {x1, 0.0, x2, 0.25, 0x00FF00};
}

double CursorX(int cursor) {
  double x = -1, y = -1;
  EXPECT_EQ(InspectGraphCursor(panelHandle, GRAPH_Scope, cursor, &x, &y), 0);
  return x;
}
double CursorY(int cursor) {
  double x = -1, y = -1;
  InspectGraphCursor(panelHandle, GRAPH_Scope, cursor, &x, &y);
  return y;
}
GraphAxisInfo XAxis() {
  GraphAxisInfo axis;
  EXPECT_EQ(InspectGraphAxis(panelHandle, GRAPH_Scope, UI_AXIS_X, &axis), 0);
  return axis;
}
uint16_t Shown(int control) {
  uint16_t value = 0;
  GetCtrlVal(panelHandle, control, &value);
  return value;
}

class ScopePlot : public LivePanels {
 protected:
  void SetUp() override {
    LivePanels::SetUp();
    for (uint16_t& word : pp) word = 0;
    eMode = 0;
    ccdMode = 0;
    pStart = 1;
    ccdmaxpixel = 1024;
    eBeg = 1;
    eEnd = 1024;
    scaleF = 1.0f;
    SetCtrlVal(panelHandle, BINSWITCH_UM, 1);
  }
  // Words 0..8 of a measurement reply.
  static void Reply(std::vector<uint16_t> words) {
    for (size_t i = 0; i < words.size(); ++i) pp[i] = words[i];
  }
};
}  // namespace

TEST_F(ScopePlot, PixelReadOutsShowTheWordsAndTheCopiesAreTaken) {
  eMode = 2;
  scaleF = 1.2f;
  Reply({101, 302, 203, 404, 25, 300, 2, 7, 9});
  PlotRAWValues();
  EXPECT_EQ(Shown(NUM_FirstEdge), 101);
  EXPECT_EQ(Shown(NUM_SecondEdge), 302);
  EXPECT_EQ(Shown(NUM_MeasuredValue), 203);
  EXPECT_EQ(Shown(NUM_TeachValue), 404);
  EXPECT_EQ(Shown(NUM_Tolerance), 25);
  EXPECT_EQ(tVal, 404);
  EXPECT_EQ(tTol, 25);
  EXPECT_EQ(pix1, 300);
  EXPECT_EQ(edcnt, 2);
  EXPECT_EQ(mvstart, 7);
  EXPECT_EQ(mvend, 9);
  EXPECT_FLOAT_EQ(scaleF, 1.2f) << "mode 2 keeps the scale factor";
}

TEST_F(ScopePlot, MicrometreReadOutsScaleOnlyMeasuredAndTeachValueInMode2) {
  SetCtrlVal(panelHandle, BINSWITCH_UM, 0);
  scaleF = 0.9f;
  Reply({1, 1000, 100, 100, 10});
  PlotRAWValues();
  EXPECT_FLOAT_EQ(scaleF, 1.0f) << "every mode but 2 resets it";
  EXPECT_EQ(Shown(NUM_FirstEdge), 7);
  EXPECT_EQ(Shown(NUM_SecondEdge), 7800);
  EXPECT_EQ(Shown(NUM_MeasuredValue), 780);
  EXPECT_EQ(Shown(NUM_TeachValue), 780);
  EXPECT_EQ(Shown(NUM_Tolerance), 78);

  eMode = 2;
  scaleF = 1.05f;  // 1.0499999523 in single precision: 818.99996 truncates to 818
  Reply({1, 1000, 100, 100, 10});
  PlotRAWValues();
  EXPECT_EQ(Shown(NUM_MeasuredValue), 818);
  EXPECT_EQ(Shown(NUM_TeachValue), 818);
  EXPECT_EQ(InspectAccessibleName(panelHandle, NUM_MeasuredValue), "Measured value");
  EXPECT_EQ(InspectAccessibleValue(panelHandle, NUM_MeasuredValue), "818 \u00b5m")
      << "a screen reader reads the number shown and its unit";
  EXPECT_EQ(Shown(NUM_FirstEdge), 7) << "edges are never scaled";
  EXPECT_EQ(Shown(NUM_Tolerance), 78) << "nor the tolerance";
  scaleF = 0.9f;
  PlotRAWValues();
  EXPECT_EQ(Shown(NUM_MeasuredValue), 701);

  // A read-out beyond 16 bits shows its low 16 bits.
  scaleF = 1.2f;
  Reply({0, 0, 65535, 0, 0});
  PlotRAWValues();
  EXPECT_EQ(Shown(NUM_MeasuredValue), static_cast<uint16_t>(613407));
}

TEST_F(ScopePlot, EvaluatedPositionByModeSetsCursorOne) {
  Reply({100, 300, 0, 0, 0, 0, 2});
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(CursorX(1), 100);
  EXPECT_DOUBLE_EQ(CursorY(1), 0.75);
  eMode = 1;
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(CursorX(1), 300);
  eMode = 2;
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(CursorX(1), 200);
  eMode = 4;  // any other mode: the middle too, and the scale factor reset
  scaleF = 1.1f;
  Reply({1023, 1021});
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(CursorX(1), 1022) << "no 16-bit overflow in the sum";
  EXPECT_FLOAT_EQ(scaleF, 1.0f);

  // A missing edge puts the position at 1, on the whole line as it is ...
  eMode = 2;
  Reply({0, 500});
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(CursorX(1), 1);
  Reply({500, 0});
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(CursorX(1), 1);
  // ... then limited to the window.
  ccdMode = 1;
  pStart = 300;
  Reply({0, 500});
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(CursorX(1), 300);
  EXPECT_DOUBLE_EQ(XAxis().min, 300);
  EXPECT_DOUBLE_EQ(XAxis().max, 556);
}

TEST_F(ScopePlot, WholeLineRangeMovesTheWindowCursorsAndLimitsThePosition) {
  ccdmaxpixel = 512;
  eBeg = 20;
  eEnd = 480;
  Reply({1000, 1010, 0, 0, 0, 0, 2});
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(XAxis().min, 0);
  EXPECT_DOUBLE_EQ(XAxis().max, 512);
  EXPECT_DOUBLE_EQ(CursorX(1), 512);
  EXPECT_DOUBLE_EQ(CursorX(2), 20);
  EXPECT_DOUBLE_EQ(CursorY(2), 0.75);
  EXPECT_DOUBLE_EQ(CursorX(3), 480);
  EXPECT_DOUBLE_EQ(CursorY(3), 0.75);
  // The bars use the words as received, beyond the axis.
  EXPECT_EQ(Bars(), (std::vector<Rect>{Bar(0, 1000), Bar(1010, 512)}));

  ccdmaxpixel = 0;  // no CCD information yet
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(XAxis().max, 512);
  ccdmaxpixel = 1024;
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(XAxis().max, 1024);
  EXPECT_DOUBLE_EQ(CursorX(1), 1000);
}

TEST_F(ScopePlot, WindowRangesStayOnTheLineAndLeaveTheWindowCursors) {
  SetGraphCursor(panelHandle, GRAPH_Scope, 2, 33, 1.0);
  SetGraphCursor(panelHandle, GRAPH_Scope, 3, 44, 1.0);
  ccdMode = 1;
  pStart = 900;
  Reply({10, 20, 0, 0, 0, 100, 2});
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(XAxis().min, 768);
  EXPECT_DOUBLE_EQ(XAxis().max, 1024);
  EXPECT_DOUBLE_EQ(CursorX(1), 768);
  EXPECT_DOUBLE_EQ(CursorX(2), 33);
  EXPECT_DOUBLE_EQ(CursorY(2), 1.0);
  EXPECT_DOUBLE_EQ(CursorX(3), 44);

  ccdmaxpixel = 0;
  pStart = 400;
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(XAxis().min, 256);
  EXPECT_DOUBLE_EQ(XAxis().max, 512);

  // Mode 2: the window the sensor reports in word 5.
  ccdMode = 2;
  ccdmaxpixel = 1024;
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(XAxis().min, 100);
  EXPECT_DOUBLE_EQ(XAxis().max, 356);
  Reply({10, 20, 0, 0, 0, 1000, 2});
  PlotRAWValues();
  EXPECT_DOUBLE_EQ(XAxis().min, 768);
  EXPECT_DOUBLE_EQ(CursorX(2), 33);
}

TEST_F(ScopePlot, BarsByEdgeCountAndEndLevels) {
  Reply({300, 700, 0, 0, 0, 0, 1, 5, 9});
  eEnd = 900;
  PlotRAWValues();
  EXPECT_EQ(Bars(), (std::vector<Rect>{Bar(300, 1024)})) << "right end higher";
  EXPECT_EQ(InspectGraphSummaryWords(panelHandle, GRAPH_Scope),
            "Edge at pixel 300; measured value 0; tolerance band 0 to 0; evaluation window 1 to "
            "900");
  Reply({300, 700, 0, 0, 0, 0, 1, 9, 5});
  PlotRAWValues();
  EXPECT_EQ(Bars(), (std::vector<Rect>{Bar(0, 300)})) << "left end higher";
  Reply({300, 700, 0, 0, 0, 0, 1, 7, 7});
  PlotRAWValues();
  EXPECT_EQ(Bars(), (std::vector<Rect>{Bar(0, 300)})) << "equal levels: left";
  for (uint16_t count : {0, 2, 5}) {
    Reply({300, 700, 0, 0, 0, 0, count, 5, 9});
    PlotRAWValues();
    EXPECT_EQ(Bars(), (std::vector<Rect>{Bar(0, 300), Bar(700, 1024)})) << count;
    EXPECT_EQ(InspectGraphSummaryWords(panelHandle, GRAPH_Scope).substr(0, 7),
              count == 0 ? "No edge" : "Edges a");
  }
}

TEST_F(ScopePlot, OneBandOnTheTeachValueWithItsEndsOnTheLine) {
  Reply({0, 0, 0, 10, 20, 0, 2});
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(1, 30)}));
  Reply({0, 0, 0, 1020, 10, 0, 2});
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(1010, 1024)}));
  // Only ends beyond the line are moved: an end exactly at 0 or 1023 stays.
  Reply({0, 0, 0, 20, 20, 0, 2});
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(0, 40)}));
  Reply({0, 0, 0, 1003, 20, 0, 2});
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(983, 1023)}));
  Reply({0, 0, 0, 500, 20, 0, 2});
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(480, 520)}));
  // Drawing order: bars first, then the band; nothing else is left.
  const std::vector<Rect> all = Rectangles();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2], Band(480, 520));
}

TEST_F(ScopePlot, TwoBandsInMode2AroundThePositionOnlyTheFirstLimited) {
  eMode = 2;
  Reply({412, 612, 0, 200, 20, 0, 2});  // P = 512
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(402, 422), Band(602, 622)}));
  Reply({10, 10, 0, 100, 20, 0, 2});  // P = 10
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(1, -30), Band(50, 70)}));
  Reply({60, 60, 0, 100, 20, 0, 2});  // P = 60: the first band starts exactly at 0
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(0, 20), Band(100, 120)}));
  Reply({1024, 1024, 0, 0, 20, 0, 2});  // P = 1024
  PlotRAWValues();
  EXPECT_EQ(Bands(), (std::vector<Rect>{Band(1014, 1024), Band(1014, 1034)}));
}

TEST_F(ScopePlot, EveryPlotIsReplacedButCursorsStay) {
  PlotRectangle(panelHandle, GRAPH_Scope, 0, 0, 1023, 1, 0xA0A0A0, 0xA0A0A0);
  Reply({300, 700, 0, 500, 20, 0, 2});
  PlotRAWValues();
  PlotRAWValues();
  const std::vector<Rect> all = Rectangles();
  EXPECT_EQ(all, (std::vector<Rect>{Bar(0, 300), Bar(700, 1024), Band(480, 520)}));
  EXPECT_DOUBLE_EQ(CursorX(2), 1);
  EXPECT_DOUBLE_EQ(CursorX(3), 1024);
}
