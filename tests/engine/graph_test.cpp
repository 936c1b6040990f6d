// Graph display lists, the repaint throttle and the viewing aids.
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "runtime/graph_view.h"
#include "runtime/testing/inspect.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/ui/input/focus_ring.h"
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

std::string Description(QWidget* w) {
  return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description).toStdString();
}

// A mouse event as the window system delivers it.
void Mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons = Qt::LeftButton) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
  QSpontaneKeyEvent::setSpontaneous(&e);
  qApp->notify(w, &e);
}

void WheelUp(QWidget* w) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&e);
  qApp->notify(w, &e);
}

// The graph with the keyboard focus, in the active window.
QWidget* FocusedGraph(int panel, int graph) {
  QWidget* window = InspectPanelWindow(panel);
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window));
  QWidget* w = InspectControlWidget(panel, graph);
  w->setFocus(Qt::TabFocusReason);
  return w;
}

struct ReadoutCalls {
  std::vector<std::pair<double, double>> at;
  int result = 0;
};

int RecordReadout(int, int graph, double x, double y, char* text, size_t size, void* context) {
  auto* calls = static_cast<ReadoutCalls*>(context);
  calls->at.emplace_back(x, y);
  snprintf(text, size, "graph %d at %g", graph, x);
  return calls->result;
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

// A frame of the scope repaints where it differs from the one on screen (the
// bar's moved edge, the cursor's old and new column), a read-out the figures
// that changed; what the screen then holds is what a whole paint puts there.
TEST(GraphRepaint, OnlyWhatChangedIsRepaintedAndTheScreenMatchesAWholePaint) {
  KindsPanel p;
  const int h = p.handle();
  QWidget* window = InspectPanelWindow(h);
  QWidget* scope = InspectControlWidget(h, kScope);
  QWidget* readout = InspectControlWidget(h, kReadout);
  SetAxisScalingMode(h, kScope, UI_AXIS_X, UI_SCALE_MANUAL, 0, 1024);
  const auto frame = [&](double edge, double cursor, int value) {
    DeleteGraphPlot(h, kScope, UI_ALL_PLOTS, UI_REDRAW_DELAYED);
    PlotRectangle(h, kScope, 0, 0.25, edge, 1.0, 0xFF0000, 0xFF0000);
    SetGraphCursor(h, kScope, 1, cursor, 0.75);
    SetCtrlVal(h, kReadout, static_cast<uint16_t>(value));
    ProcessEventsFor(0.05);  // painted, and the next change a frame later
  };
  frame(300, 600, 665);
  frame(310, 600, 667);
  const QRect bar = InspectRepaints(scope).last.boundingRect();
  EXPECT_LT(bar.width(), scope->width() / 20) << "the edge, not the bar";
  EXPECT_GT(bar.height(), scope->height() / 2);
  const QRect figure = InspectRepaints(readout).last.boundingRect();
  EXPECT_LT(figure.width(), readout->width() / 3) << "the last figure only";
  EXPECT_GT(figure.right(), readout->width() * 2 / 3);
  frame(310, 200, 667);
  EXPECT_LT(InspectRepaints(scope).last.boundingRect().width(), scope->width() / 2)
      << "the cursor's two columns";
  for (int k = 0; k < 8; ++k) frame(300 + 37 * k, 900 - 90 * k, 400 + 123 * k);
  // The window as the screen holds it, cut to the widget (in device pixels).
  const auto onScreen = [&](QWidget* w) {
    const qreal ratio = w->devicePixelRatioF();
    const QRect at(w->mapTo(window, QPoint(0, 0)) * ratio, w->size() * ratio);
    return window->screen()
        ->grabWindow(window->winId())
        .toImage()
        .copy(at)
        .convertToFormat(QImage::Format_RGB32);
  };
  const QImage scopeShown = onScreen(scope), readoutShown = onScreen(readout);
  scope->update();  // painted whole
  readout->update();
  ProcessEventsFor(0.05);
  EXPECT_EQ(scopeShown, onScreen(scope));
  EXPECT_EQ(readoutShown, onScreen(readout));
}

TEST(GraphView, AFrozenGraphPaintsNothingWhileItsListChangesAndTheNewestWhenReleased) {
  KindsPanel p;
  const int h = p.handle();
  QWidget* w = InspectControlWidget(h, kCurve);
  std::vector<uint16_t> x = {1, 512, 1024}, y = {0, 500, 0};
  Plot(h, kCurve, x, y, 0xFF0000);
  ASSERT_TRUE(WaitUntil([&] { return InspectGraphPaintCount(h, kCurve) > 0; }, 5.0));
  const std::string shownValue = InspectAccessibleValue(h, kCurve);
  ASSERT_EQ(SetGraphFrozen(h, kCurve, 1), 0);
  EXPECT_EQ(GraphFrozen(h, kCurve), 1);
  EXPECT_EQ(Description(w), "Frozen");
  const long before = InspectGraphPaintCount(h, kCurve);
  ASSERT_TRUE(WaitUntil([&] { return InspectGraphPaintCount(h, kCurve) > before; }, 5.0))
      << "the frozen mark is painted";
  const long frozenAt = InspectGraphPaintCount(h, kCurve);
  for (int i = 0; i < 10; ++i) {
    DeleteGraphPlot(h, kCurve, UI_ALL_PLOTS, UI_REDRAW_DELAYED);
    y[1] = static_cast<uint16_t>(i);
    Plot(h, kCurve, x, y, 0x00FF00);
    SetAxisScalingMode(h, kCurve, UI_AXIS_X, UI_SCALE_MANUAL, 1, 1000 + i);
    ProcessEventsFor(0.02);  // a frame and more between changes
  }
  EXPECT_EQ(InspectGraphPaintCount(h, kCurve), frozenAt);
  EXPECT_EQ(InspectGraphPlots(h, kCurve).at(0).color, 0x00FF00) << "the list still changes";
  EXPECT_EQ(InspectAccessibleValue(h, kCurve), shownValue) << "it tells the frozen picture";

  ASSERT_EQ(SetGraphFrozen(h, kCurve, 0), 0);
  EXPECT_TRUE(WaitUntil([&] { return InspectGraphPaintCount(h, kCurve) > frozenAt; }, 5.0));
  EXPECT_EQ(Description(w), "");
  EXPECT_NE(InspectAccessibleValue(h, kCurve), shownValue);
  EXPECT_EQ(SetGraphFrozen(h, kCount, 1), UIE_BAD_VALUE);
  EXPECT_EQ(GraphFrozen(h, 99), UIE_NO_SUCH_CONTROL);
}

TEST(GraphView, ZoomingChangesTheViewNeverTheAxesOrTheDisplayList) {
  KindsPanel p;
  const int h = p.handle();
  QWidget* w = FocusedGraph(h, kCurve);
  std::vector<uint16_t> x = {1, 512, 1024}, y = {0, 500, 0};
  Plot(h, kCurve, x, y, 0xFF0000);
  using Action = std::function<void()>;
  const auto key = [w](Qt::Key k) { return Action([w, k] { QTest::keyClick(w, k); }); };
  const QPointF a(w->width() * 0.5, w->height() * 0.3), b(w->width() * 0.8, w->height() * 0.6);
  const auto press = [&](QPointF to) {
    return Action([&, to] {
      Mouse(w, QEvent::MouseButtonPress, a);
      Mouse(w, QEvent::MouseMove, to);
      Mouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
    });
  };
  const Action wheel = [&] { WheelUp(w); };
  const Action doubleClick = [&] { Mouse(w, QEvent::MouseButtonDblClick, a); };
  const Action scopeFocused = [&] { InspectControlWidget(h, kScope)->setFocus(); };
  const struct {
    const char* what;
    std::vector<Action> actions;
    int zoomed;
  } rows[] = {
      {"+", {key(Qt::Key_Plus)}, 1},
      {"+ then -", {key(Qt::Key_Plus), key(Qt::Key_Minus)}, 0},
      {"+ then 0", {key(Qt::Key_Plus), key(Qt::Key_0)}, 0},
      {"+ then Home", {key(Qt::Key_Plus), key(Qt::Key_Home)}, 0},
      {"+ then double-click", {key(Qt::Key_Plus), doubleClick}, 0},
      {"dragged rectangle", {press(b)}, 1},
      {"click", {press(a)}, 0},
      {"wheel on the focused graph", {wheel}, 1},
      {"wheel on a graph without the focus", {scopeFocused, wheel}, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_EQ(ResetGraphZoom(h, kCurve), 0);
    w->setFocus(Qt::TabFocusReason);
    for (const auto& action : row.actions) action();
    EXPECT_EQ(GraphZoomed(h, kCurve), row.zoomed);
    EXPECT_EQ(Description(w).rfind("Zoomed to x", 0) == 0, row.zoomed == 1) << Description(w);
    GraphAxisInfo ax, ay;
    ASSERT_EQ(InspectGraphAxis(h, kCurve, UI_AXIS_X, &ax), 0);
    ASSERT_EQ(InspectGraphAxis(h, kCurve, UI_AXIS_LEFT_Y, &ay), 0);
    EXPECT_EQ((std::vector<double>{ax.min, ax.max, ay.min, ay.max}),
              (std::vector<double>{1, 1024, 0, 1023}));
    ASSERT_EQ(InspectGraphPlots(h, kCurve).size(), 1u);
    EXPECT_EQ(InspectGraphPlots(h, kCurve)[0].y, (std::vector<double>{0, 500, 0}));
  }
  ResetGraphZoom(h, kCurve);
  QTest::keyClick(w, Qt::Key_Plus);  // half of each axis, around its centre
  EXPECT_EQ(Description(w),
            "Zoomed to x 256.75 to 768.25, y 255.75 to 767.25; 0 returns to the full axes");
}

TEST(GraphView, TheReadOutTellsTheValuesUnderThePointerOrTheKeyboardsMarker) {
  KindsPanel p;
  const int h = p.handle();
  QWidget* w = FocusedGraph(h, kCurve);
  // Tab goes from the field before the graphs to each graph in turn.
  InspectControlWidget(h, kOffset)->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), InspectControlWidget(h, kScope));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), w);
  auto* ring = InspectPanelWindow(h)->findChild<FocusRing*>("focusRing");
  EXPECT_EQ(ring->target(), w) << "the focus ring goes round the graph";
  ReadoutCalls calls;
  ASSERT_EQ(SetGraphReadout(h, kCurve, RecordReadout, &calls), 0);

  // The same pointer position, before and after halving the view around its
  // centre (512.5, 511.5): the value under it moves halfway to the centre.
  const QPointF at(w->width() * 0.7, w->height() * 0.3);
  Mouse(w, QEvent::MouseMove, at, Qt::NoButton);
  ASSERT_EQ(calls.at.size(), 1u);
  EXPECT_EQ(Description(w),
            QString("graph %1 at %2").arg(kCurve).arg(calls.at[0].first).toStdString());
  QTest::keyClick(w, Qt::Key_Plus);
  Mouse(w, QEvent::MouseMove, at, Qt::NoButton);
  ASSERT_EQ(calls.at.size(), 2u);
  EXPECT_NEAR(calls.at[1].first - 512.5, (calls.at[0].first - 512.5) / 2, 1e-6);
  EXPECT_NEAR(calls.at[1].second - 511.5, (calls.at[0].second - 511.5) / 2, 1e-6);
  Mouse(w, QEvent::MouseMove, QPointF(1, 1), Qt::NoButton);  // over the tick labels
  EXPECT_EQ(calls.at.size(), 2u);
  EXPECT_TRUE(Description(w).rfind("Zoomed", 0) == 0) << "the label is gone";
  QTest::keyClick(w, Qt::Key_0);

  // The marker starts in the middle of the view and moves one x unit, or ten.
  calls.at.clear();
  const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Right, Qt::NoModifier},
                                                            {Qt::Key_Right, Qt::NoModifier},
                                                            {Qt::Key_Right, Qt::ShiftModifier},
                                                            {Qt::Key_Left, Qt::NoModifier},
                                                            {Qt::Key_Up, Qt::NoModifier}};
  for (const auto& [k, mod] : keys) QTest::keyClick(w, k, mod);
  std::vector<double> xs;
  for (const auto& c : calls.at) xs.push_back(c.first);
  EXPECT_EQ(xs, (std::vector<double>{513, 514, 524, 523, 523}));
  EXPECT_DOUBLE_EQ(calls.at.back().second, 511.5 + 10.23);
  EXPECT_EQ(Description(w), "graph " + std::to_string(kCurve) + " at 523");
  QTest::keyClick(w, Qt::Key_Escape);  // this panel has no escape button
  EXPECT_EQ(Description(w), "");

  calls.result = -1;  // nothing to tell there: no label
  QTest::keyClick(w, Qt::Key_Right);
  EXPECT_EQ(Description(w), "");
  ASSERT_EQ(SetGraphReadout(h, kCurve, nullptr, nullptr), 0);
  calls.at.clear();
  QTest::keyClick(w, Qt::Key_Right);
  Mouse(w, QEvent::MouseMove, at, Qt::NoButton);
  EXPECT_TRUE(calls.at.empty());
}
