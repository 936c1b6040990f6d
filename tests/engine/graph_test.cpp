// Graph display lists and the repaint throttle.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/testing/inspect.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "tests/engine/ui_recorder.h"
#include "tests/support/wait.h"

using namespace uitest;

namespace {

int Plot(int panel, int graph, std::vector<uint16_t>& x, std::vector<uint16_t>& y, int color) {
  return PlotXY(panel, graph, x.data(), y.data(), static_cast<int>(x.size()), UI_TYPE_U16,
                UI_TYPE_U16, 5, 10, 0, 1, color);
}

}  // namespace

TEST(GraphDisplayList, PlotsAreCopiedAndKeptInDrawingOrder) {
  KindsPanel p;
  const int h = p.handle();
  std::vector<uint16_t> x = {0, 4, 8}, y = {10, 65535, 0};
  const int curve = Plot(h, kCurve, x, y, 0xFF0000);
  const int rect = PlotRectangle(h, kCurve, 300, 1.0, 100, 0.25, 0xA0A0A0, 0x00FF00);
  ASSERT_GT(curve, 0);
  ASSERT_GT(rect, curve);
  x[0] = 999;  // the program reuses its buffer at once
  y[1] = 1;

  const auto plots = InspectGraphPlots(h, kCurve);
  ASSERT_EQ(plots.size(), 2u);
  EXPECT_EQ(plots[0].handle, curve);
  EXPECT_EQ(plots[0].kind, GraphPlotKind::XY);
  EXPECT_EQ(plots[0].x, (std::vector<double>{0, 4, 8}));
  EXPECT_EQ(plots[0].y, (std::vector<double>{10, 65535, 0}));
  EXPECT_EQ(plots[0].color, 0xFF0000);
  EXPECT_EQ(plots[0].plotStyle, 5);
  EXPECT_EQ(plots[0].pointStyle, 10);
  // Corners as given, in either order.
  EXPECT_EQ(plots[1].kind, GraphPlotKind::Rectangle);
  EXPECT_EQ(plots[1].x, (std::vector<double>{300, 100}));
  EXPECT_EQ(plots[1].y, (std::vector<double>{1.0, 0.25}));
  EXPECT_EQ(plots[1].color, 0xA0A0A0);
  EXPECT_EQ(plots[1].fillColor, 0x00FF00);

  EXPECT_EQ(PlotXY(h, kCurve, x.data(), y.data(), 3, 2, UI_TYPE_U16, 5, 10, 0, 1, 0),
            UIE_BAD_VALUE);
  EXPECT_EQ(PlotXY(h, kCurve, x.data(), y.data(), 0, UI_TYPE_U16, UI_TYPE_U16, 5, 10, 0, 1, 0),
            UIE_BAD_VALUE);
  EXPECT_EQ(PlotRectangle(h, kCount, 0, 0, 1, 1, 0, 0), UIE_BAD_VALUE);  // not a graph
  EXPECT_EQ(PlotRectangle(h, 99, 0, 0, 1, 1, 0, 0), UIE_NO_SUCH_CONTROL);
}

TEST(GraphDisplayList, DeletingPlotsNeverTouchesCursors) {
  KindsPanel p;
  const int h = p.handle();
  ASSERT_EQ(SetGraphCursor(h, kScope, 1, 512, 0.75), 0);
  ASSERT_EQ(SetGraphCursor(h, kScope, 3, 1024, 1.0), 0);
  const int a = PlotRectangle(h, kScope, 0, 0.25, 400, 1, 0xFF0000, 0xFF0000);
  const int b = PlotRectangle(h, kScope, 600, 0.25, 1024, 1, 0xFF0000, 0xFF0000);

  EXPECT_EQ(DeleteGraphPlot(h, kScope, a, UI_REDRAW_NONE), 0);
  auto plots = InspectGraphPlots(h, kScope);
  ASSERT_EQ(plots.size(), 1u);
  EXPECT_EQ(plots[0].handle, b);
  EXPECT_EQ(DeleteGraphPlot(h, kScope, a, UI_REDRAW_NONE), UIE_BAD_VALUE);

  PlotRectangle(h, kScope, 1, 0, 30, 0.25, 0x00FF00, 0x00FF00);
  EXPECT_EQ(DeleteGraphPlot(h, kScope, UI_ALL_PLOTS, UI_REDRAW_DELAYED), 0);
  EXPECT_TRUE(InspectGraphPlots(h, kScope).empty());
  double x = 0, y = 0;
  ASSERT_EQ(InspectGraphCursor(h, kScope, 1, &x, &y), 0);
  EXPECT_EQ(x, 512);
  EXPECT_EQ(y, 0.75);
  ASSERT_EQ(InspectGraphCursor(h, kScope, 3, &x, &y), 0);
  EXPECT_EQ(x, 1024);

  EXPECT_EQ(SetGraphCursor(h, kScope, 0, 1, 1), UIE_BAD_VALUE);
  EXPECT_EQ(SetGraphCursor(h, kScope, 4, 1, 1), UIE_BAD_VALUE);
  EXPECT_EQ(SetGraphCursor(h, kCurve, 1, 1, 1), UIE_BAD_VALUE);  // a graph without cursors
  EXPECT_LT(InspectGraphCursor(h, kCurve, 1, &x, &y), 0);
}

TEST(GraphDisplayList, AxisRefusesAnEmptyOrReversedRange) {
  KindsPanel p;
  const int h = p.handle();
  GraphAxisInfo axis;
  ASSERT_EQ(InspectGraphAxis(h, kCurve, UI_AXIS_X, &axis), 0);
  EXPECT_EQ(axis.min, 1);  // from the resource
  EXPECT_EQ(axis.max, 1024);

  EXPECT_EQ(SetAxisScalingMode(h, kCurve, UI_AXIS_X, UI_SCALE_MANUAL, 100, 356), 0);
  EXPECT_EQ(SetAxisScalingMode(h, kCurve, UI_AXIS_X, UI_SCALE_MANUAL, 1.0, 0.0), UIE_BAD_VALUE);
  EXPECT_EQ(SetAxisScalingMode(h, kCurve, UI_AXIS_X, UI_SCALE_MANUAL, 5, 5), UIE_BAD_VALUE);
  EXPECT_EQ(SetAxisScalingMode(h, kCurve, 2, UI_SCALE_MANUAL, 0, 1), UIE_BAD_VALUE);
  ASSERT_EQ(InspectGraphAxis(h, kCurve, UI_AXIS_X, &axis), 0);
  EXPECT_EQ(axis.min, 100);
  EXPECT_EQ(axis.max, 356);

  EXPECT_EQ(SetAxisScalingMode(h, kCurve, UI_AXIS_LEFT_Y, UI_SCALE_MANUAL, 0, 1023), 0);
  ASSERT_EQ(InspectGraphAxis(h, kCurve, UI_AXIS_LEFT_Y, &axis), 0);
  EXPECT_EQ(axis.max, 1023);
}

TEST(GraphRepaint, ManyModelChangesGiveFewPaints) {
  KindsPanel p;
  const int h = p.handle();
  std::vector<uint16_t> x(256), y(256);
  for (int i = 0; i < 256; ++i) x[i] = static_cast<uint16_t>(4 * i);
  ASSERT_TRUE(WaitUntil([&] { return InspectGraphPaintCount(h, kCurve) > 0; }, 5.0));

  const long before = InspectGraphPaintCount(h, kCurve);
  const double start = Timer();
  const int updates = 500;
  for (int i = 0; i < updates; ++i) {
    DeleteGraphPlot(h, kCurve, UI_ALL_PLOTS, UI_REDRAW_DELAYED);
    y[i % 256] = static_cast<uint16_t>(i);
    Plot(h, kCurve, x, y, 0xFF0000);
    ProcessSystemEvents();
  }
  // The last change is painted too.
  ASSERT_TRUE(WaitUntil([&] { return InspectGraphPaintCount(h, kCurve) > before; }, 5.0));
  const double elapsed = Timer() - start;
  const long paints = InspectGraphPaintCount(h, kCurve) - before;
  // One paint per frame of about 16 ms at most, whatever the machine's speed.
  EXPECT_LE(paints, static_cast<long>(elapsed / 0.016) + 4)
      << updates << " updates in " << elapsed << " s gave " << paints << " paints";
  EXPECT_EQ(InspectGraphPlots(h, kCurve).size(), 1u);
}

TEST(GraphRepaint, AChangeAfterAQuietSpellIsPaintedAtTheNextFrameAndCounted) {
  KindsPanel p;
  const int h = p.handle();
  std::vector<uint16_t> x(256), y(256);
  for (int i = 0; i < 256; ++i) x[i] = static_cast<uint16_t>(4 * i);
  ASSERT_TRUE(WaitUntil([&] { return InspectGraphPaintCount(h, kCurve) > 0; }, 5.0));
  ProcessEventsFor(0.02);  // the last paint is more than a frame (16.7 ms) old
  ASSERT_EQ(ResetGraphPaintStats(h, kCurve), 0);
  const long before = InspectGraphPaintCount(h, kCurve);
  for (int round = 0; round < 5; ++round) {
    Plot(h, kCurve, x, y, 0xFF0000);
    ASSERT_TRUE(WaitUntil([&] { return InspectGraphPaintCount(h, kCurve) > before + round; }, 5.0));
    ProcessEventsFor(0.02);
  }
  GraphPaintStats stats;
  ASSERT_EQ(InspectGraphPaintStats(h, kCurve, &stats), 0);
  EXPECT_EQ(stats.paints, 5);
  // Not a timing figure: a change that waited for a timer of its own, or for
  // the next change, would show here as a wait of several frames or more.
  EXPECT_LT(stats.oldestMax, 0.1);
  EXPECT_LE(stats.newestMax, stats.oldestMax);
  EXPECT_EQ(InspectGraphPaintStats(h, 999, &stats), UIE_NO_SUCH_CONTROL);
}
