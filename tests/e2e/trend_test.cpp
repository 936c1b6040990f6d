// The trend window and Freeze on the running program: the Run's statistics as
// a screen reader reads them against the frames the sensor answered, a new Run
// starting them afresh, and Freeze holding both graphs and the trend while the
// frames go on being counted.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <string>

#include "monitor/qt/line_monitor.h"
#include "runtime/graph_view.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/line_script.h"
#include "tests/e2e/operated_program.h"
#include "watch/qt/trend.h"
#include "watch/qt/trend_plot.h"
#include "watch/qt/trend_window.h"
#include "watch/trend_series.h"

namespace {
using Words = LineScript::Words;

QWidget* TopLevel(const char* objectName) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == objectName && w->isVisible()) return w;
  return nullptr;
}

QAbstractButton* Button(QWidget* in, const char* accessibleName) {
  for (auto* b : in->findChildren<QAbstractButton*>())
    if (b->accessibleName() == accessibleName) return b;
  return nullptr;
}

std::string Spoken(QWidget* w, QAccessible::Text t) {
  return QAccessible::queryAccessibleInterface(w)->text(t).toStdString();
}

// Paints of a widget, counted as they are delivered.
struct PaintCounter : QObject {
  long paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    paints += e->type() == QEvent::Paint;
    return false;
  }
};

class Trend : public OperatedProgram {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InstallLineMonitor(nullptr));
    InstallTrend();
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallTrend();
    UninstallLineMonitor();
  }
  // Opened with its shortcut on the main panel, as the operator does.
  void OpenWindow() {
    QWidget* panel = TopLevel("MainPanel");
    panel->activateWindow();
    QTest::keyClick(panel, Qt::Key_T, Qt::ControlModifier);
    window_ = TopLevel("TrendWindow");
    ASSERT_NE(window_, nullptr);
    statistics_ = nullptr;
    for (auto* label : window_->findChildren<QLabel*>())
      if (label->accessibleName() == "Run statistics") statistics_ = label;
    ASSERT_NE(statistics_, nullptr);
  }
  std::string Statistics() const { return Spoken(statistics_, QAccessible::Value); }
  long Frames() const { return std::stol(Statistics()); }  // the line starts with them
  // The statistics with `frames` before the rate (which the clock decides) and `rest` after it.
  bool StatisticsRead(const std::string& frames, const std::string& rest) const {
    const std::string s = Statistics();
    return s.starts_with(frames + " frames, ") && s.ends_with(" per second, " + rest);
  }

  QWidget* window_ = nullptr;
  QLabel* statistics_ = nullptr;
};

}  // namespace

TEST_F(Trend, StatisticsReadTheFramesTheSensorAnsweredAndANewRunStartsAfresh) {
  // The sensor answers up to `answered` requests, then falls silent: the Run
  // ends in its time-out with exactly those frames.
  struct Row {
    uint16_t value, teach, tolerance;
  };
  const Row first[] = {{400, 400, 5}, {405, 400, 5}, {406, 400, 5},   // upper limit in, then out
                       {395, 400, 5}, {394, 400, 5}, {420, 420, 0}};  // its own band per frame
  int answered = 6;
  LineScript line([&](int k, const Words&) -> std::vector<uint8_t> {
    if (k >= answered) return {};
    const Row r = k < 6 ? first[k] : Row{300, 300, 1};
    return LineScript::Measurement(Words{100, 500, r.value, r.teach, r.tolerance, 0, 2, 50, 60});
  });
  StartOn(line.sensor().slavePath());
  OpenWindow();
  EXPECT_EQ(Statistics(), "0 frames, 0.00 per second, 0 time-outs");
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_EQ(StatusLine(), "Timeout RS232-Line!");
  const std::string first6 =
      "1 time-out; measured value min 394, max 420, mean 403.33, deviation 9.54; 4 inside the "
      "band, 2 outside";
  EXPECT_TRUE(WaitUntil([&] { return StatisticsRead("6", first6); }, 2.0)) << Statistics();
  EXPECT_EQ(Spoken(statistics_, QAccessible::Name), "Run statistics");

  answered = 10;  // request 6 went unanswered; 7, 8 and 9 are
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  const std::string next3 =
      "1 time-out; measured value min 300, max 300, mean 300.00, deviation 0.00; 3 inside the "
      "band, 0 outside";
  EXPECT_TRUE(WaitUntil([&] { return StatisticsRead("3", next3); }, 2.0)) << Statistics();
}

TEST_F(Trend, FreezeHoldsBothGraphsAndTheTrendWhileFramesAreCounted) {
  Start();
  OpenWindow();
  auto* plot = window_->findChild<watch::TrendPlot*>();
  PaintCounter trendPaints;
  plot->installEventFilter(&trendPaints);
  QAbstractButton* freeze = Button(TopLevel("MainPanel"), "Freeze");
  ASSERT_NE(freeze, nullptr);

  // The statistics label moves on four times a second: each step below waits
  // for the next, so that the frozen mark is painted before the counts are taken.
  long pressedAt = 0, frozenAt = 0, scopePaints = 0, plotPaints = 0;
  std::string held;
  WhenReady press([&] { return Frames() >= 5; },
                  [&] {
                    pressedAt = Frames();
                    QTest::mouseClick(freeze, Qt::LeftButton);
                  });
  WhenReady mark([&] { return press.fired() && Frames() > pressedAt; },
                 [&] {
                   frozenAt = Frames();
                   scopePaints = InspectGraphPaintCount(panelHandle, GRAPH_Scope);
                   plotPaints = trendPaints.paints;
                   held = Spoken(plot, QAccessible::Value);
                 });
  WhenReady release([&] { return mark.fired() && Frames() > frozenAt; },
                    [&] {
                      EXPECT_EQ(GraphFrozen(panelHandle, GRAPH_Scope), 1);
                      EXPECT_EQ(GraphFrozen(panelHandle, GRAPH_Data), 1);
                      EXPECT_TRUE(Button(window_, "Freeze")->isChecked()) << "one state";
                      EXPECT_EQ(Spoken(plot, QAccessible::Description), "FROZEN");
                      EXPECT_EQ(InspectGraphPaintCount(panelHandle, GRAPH_Scope), scopePaints);
                      EXPECT_EQ(trendPaints.paints, plotPaints);
                      EXPECT_EQ(Spoken(plot, QAccessible::Value), held);
                      Button(window_, "Freeze")->click();  // the window's toggle releases
                    });
  WhenReady stop(
      [&] {
        return release.fired() && trendPaints.paints > plotPaints &&
               InspectGraphPaintCount(panelHandle, GRAPH_Scope) > scopePaints;
      },
      [&] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(stop.fired());
  EXPECT_FALSE(freeze->isChecked());
  EXPECT_EQ(GraphFrozen(panelHandle, GRAPH_Scope), 0);
  EXPECT_EQ(GraphFrozen(panelHandle, GRAPH_Data), 0);
  EXPECT_EQ(Spoken(plot, QAccessible::Description), "");
  // Released, the trend shows every frame the Run counted (as many as it keeps).
  const auto shown = [&] { return std::min<long>(Frames(), long{watch::kTrendCapacity}); };
  EXPECT_TRUE(WaitUntil(
      [&] {
        return Spoken(plot, QAccessible::Value).rfind(std::to_string(shown()) + " frames;", 0) == 0;
      },
      1.0))
      << Spoken(plot, QAccessible::Value) << " / " << Statistics();
}

// Frames that come one by one are painted a stretch at a time; what the
// screen then holds is the picture painted whole, in and outside the band.
TEST(TrendPlot, PaintsEachNewStretchAsThePlotPaintedWholeWould) {
  watch::TrendSeries series;
  QWidget window;
  auto* plot = new watch::TrendPlot(series, &window);
  plot->setGeometry(0, 0, 600, 300);
  window.resize(600, 300);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const auto onScreen = [&] {
    return window.screen()
        ->grabWindow(window.winId(), 0, 0, 600, 300)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  };
  for (int k = 0; k < 42; ++k) {  // the last one outside the band
    series.Add(3.0 * k, static_cast<uint16_t>(500 + (k % 7) * 6 - 18), 500, 15);
    plot->seriesChanged();
    QTest::qWait(20);  // a screen frame: each frame is painted alone
  }
  EXPECT_EQ(onScreen(), plot->grab().toImage().convertToFormat(QImage::Format_RGB32));

  // Zoomed by the keyboard, it says so; '0' returns to the strip chart.
  const QImage whole = plot->grab().toImage();
  QTest::keyClick(plot, Qt::Key_Plus);
  EXPECT_EQ(Spoken(plot, QAccessible::Description), "zoomed · 0: full axes");
  EXPECT_NE(plot->grab().toImage(), whole);
  QTest::keyClick(plot, Qt::Key_0);
  EXPECT_EQ(Spoken(plot, QAccessible::Description), "");
  EXPECT_EQ(plot->grab().toImage(), whole);
}

TEST(TrendStatistics, FollowTheFramesAtMostTwiceASecondOfTheLineAndWholeAtTheRunsEnd) {
  watch::Freeze freeze;
  watch::TrendWindow window(freeze);
  auto* label = window.findChild<QLabel*>("runStatistics");
  std::vector<long> told;  // the frames counted in each line a screen reader was given
  const auto note = [&] {
    const long frames = std::stol(Spoken(label, QAccessible::Value));
    if (told.empty() || told.back() != frames) told.push_back(frames);
  };
  window.RunStarted();
  note();
  for (int k = 0; k <= 25; ++k) {  // a frame every 40 ms of the line's clock
    watch::RunFrame frame;
    frame.runMs = 40.0 * k;
    window.FrameReceived(frame);
    note();
  }
  EXPECT_EQ(told, (std::vector<long>{0, 1, 14})) << "at 0 and 520 ms";
  window.RunEnded();
  note();
  EXPECT_EQ(told.back(), 26);
}
