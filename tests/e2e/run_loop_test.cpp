// The run command through the real callbacks and engine: the operator clicks
// Run, the loop runs inside that click's commit, and Stop is pressed on its
// button from inside the running loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "app/loop_control.h"
#include "app/run_loop.h"
#include "param/transfer.h"
#include "runtime/testing/inspect_widgets.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/line_script.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/wait.h"

namespace {
using Words = LineScript::Words;

// Measurement frame k: both edges, measured value, teach value and tolerance
// all move with k, so each request shows which frame was drawn before it.
Words Frame(int k) {
  const uint16_t n = static_cast<uint16_t>(k);
  return Words{static_cast<uint16_t>(100 + n),
               static_cast<uint16_t>(300 + n),
               static_cast<uint16_t>(200 + n),
               static_cast<uint16_t>(600 + n),
               static_cast<uint16_t>(10 + n),
               0,
               2,
               50,
               60};
}

int HighestPlotHandle(int graph) {
  int highest = 0;
  for (const GraphPlotInfo& plot : InspectGraphPlots(panelHandle, graph)) {
    highest = std::max(highest, plot.handle);
  }
  return highest;
}

class RunLoop : public OperatedProgram {};
}  // namespace

TEST_F(RunLoop, EachRequestCarriesTheVariablesWithTheLastFramesTeachWords) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); });
  StartOn(line.sensor().slavePath());
  SetCtrlVal(panelHandle, RBTEeprom, 1);
  SetCtrlVal(panelHandle, RBTRam, 0);
  target = EEPROM;
  const Words before = PackedVariables();
  const int firstHandle = HighestPlotHandle(GRAPH_Scope) + 1;

  int dimmedDuring = -1;
  int teachDimmedDuring = -1;
  int offered = -1;
  int measuresAtStop = 0;
  WhenReady changePower([&] { return line.Count(8) >= 4; }, [&] { power = 777; });
  WhenReady stop([&] { return line.Count(8) >= 10; },
                 [&] {
                   dimmedDuring = Dimmed(panelHandle, BTNRun) + Dimmed(panelHandle, BTNData) +
                                  Dimmed(panelHandle, BTNGet);
                   teachDimmedDuring = Dimmed(panelPopUp, BTNTeachBackGround) +
                                       Dimmed(panelPopUp, LED_TeachBackGround) +
                                       Dimmed(panelHandle, BTNTeach) +
                                       Dimmed(panelHandle, DropDCom);
                   // Commands that would take the loop's replies are not to
                   // be had: a teach or a new port would send orders of their own.
                   offered = (SimulateClick(panelHandle, BTNTeach) == 0) +
                             (SimulateSelectItem(panelHandle, DropDCom, 2) == 0);
                   PressStop();
                   measuresAtStop = line.Count(8);
                 });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(stop.fired());

  EXPECT_EQ(dimmedDuring, 3);
  EXPECT_EQ(teachDimmedDuring, 4);
  EXPECT_EQ(offered, 0);
  EXPECT_EQ(com, 1);
  EXPECT_EQ(Dimmed(panelHandle, BTNTeach) + Dimmed(panelHandle, DropDCom), 0) << "back after";
  const std::vector<LoggedRequest> run = line.From(8);
  ASSERT_GE(run.size(), 10u);
  // Stop is noticed within one pass: at most the request of that pass follows.
  EXPECT_LE(run.size(), static_cast<size_t>(measuresAtStop) + 1);
  EXPECT_EQ(run[0].words, before);
  bool powerSeen = false;
  for (size_t i = 1; i < run.size(); ++i) {
    ASSERT_EQ(run[i].order, 8) << i;
    Words expected = before;
    if (run[i].words[0] == 777) powerSeen = true;
    if (powerSeen) expected[0] = 777;
    expected[8] = Frame(static_cast<int>(i) - 1)[3];  // teach value of the frame before
    expected[9] = Frame(static_cast<int>(i) - 1)[4];  // its tolerance
    EXPECT_EQ(run[i].words, expected) << "request " << i;
  }
  EXPECT_TRUE(powerSeen) << "a variable changed during the run goes out with the next request";

  // Every frame was drawn once, before the next request: three plots per
  // picture (two bars and a band for two edges), handles counting up. The last
  // request's frame is drawn only when it came before Stop was seen, and a
  // request written just then may be flushed before it leaves.
  const std::vector<GraphPlotInfo> plots = InspectGraphPlots(panelHandle, GRAPH_Scope);
  ASSERT_EQ(plots.size(), 3u);
  const int added = plots.back().handle - firstHandle + 1;
  EXPECT_EQ(added % 3, 0);
  const int pictures = added / 3;
  EXPECT_TRUE(pictures == static_cast<int>(run.size()) - 1 ||
              pictures == static_cast<int>(run.size()))
      << pictures << " pictures for " << run.size() << " requests";
  EXPECT_EQ(U16(panelHandle, NUM_FirstEdge), Frame(pictures - 1)[0]);
  EXPECT_EQ(U16(panelHandle, NUM_SecondEdge), Frame(pictures - 1)[1]);
  EXPECT_EQ(U16(panelHandle, NUM_MeasuredValue), Frame(pictures - 1)[2]);

  EXPECT_EQ(target, RAM);
  EXPECT_EQ(U16(panelHandle, RBTRam), 1);
  EXPECT_EQ(U16(panelHandle, RBTEeprom), 0);
  EXPECT_EQ(U16(panelHandle, RBTFile), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0) << "background mode 2";
  EXPECT_EQ(Dimmed(panelHandle, GRAPH_Data), 1);
  EXPECT_EQ(StatusLine(), "Line Ok!");
}

TEST_F(RunLoop, StopEndsTheRunAndTheButtonsComeBackOnceItHasEndedTheBackgroundTeachOnlyInMode2) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); });
  StartOn(line.sensor().slavePath());
  bMode = 1;
  int activeRightAfterStop = -1;
  int teachRightAfterStop = -1;
  int requestsAtStop = 0;
  int stoppedOnPress = -1;
  WhenReady stop([&] { return line.Count(8) >= 3; },
                 [&] {
                   // The mouse button goes down; it comes up only later.
                   ASSERT_EQ(SimulatePress(panelHandle, BTNStop), 0);
                   stoppedOnPress = stop_flag;
                   requestsAtStop = line.Count(8);
                   activeRightAfterStop = Dimmed(panelHandle, BTNRun) +
                                          Dimmed(panelHandle, BTNData) +
                                          Dimmed(panelHandle, BTNGet);
                   teachRightAfterStop = Dimmed(panelPopUp, BTNTeachBackGround);
                 });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_EQ(SimulateRelease(panelHandle, BTNStop), 0);
  EXPECT_EQ(stoppedOnPress, 1) << "Stop acts when the button goes down";
  EXPECT_EQ(activeRightAfterStop, 3) << "the Run still holds the sensor until its pass ends";
  EXPECT_EQ(teachRightAfterStop, 1);
  EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0) << "back once it has ended";
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 1);
  EXPECT_EQ(Dimmed(panelPopUp, LED_TeachBackGround), 1);
  // No request leaves after the pass that saw Stop.
  EXPECT_LE(line.CountArrived(8), requestsAtStop + 1);
}

TEST_F(RunLoop, StopWithoutALoopOnlyMakesTheButtonsActive) {
  LineScript line(nullptr);
  StartOn(line.sensor().slavePath());
  for (int button : {BTNRun, BTNData, BTNGet})
    SetCtrlAttribute(panelHandle, button, UI_ATTR_DIMMED, 1);
  SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, 1);
  SetCtrlAttribute(panelPopUp, LED_TeachBackGround, UI_ATTR_DIMMED, 1);
  const size_t requests = line.Requests().size();
  PressStop();
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0);
  EXPECT_EQ(Dimmed(panelPopUp, LED_TeachBackGround), 0);
  EXPECT_EQ(line.Requests().size(), requests);
  // The press alone acts; the commit that follows a click changes nothing more.
  SetCtrlAttribute(panelHandle, BTNRun, UI_ATTR_DIMMED, 1);
  CC_BTNStop(panelHandle, BTNStop, UI_EVENT_COMMIT, nullptr, 0, 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 1);
}

TEST_F(RunLoop, SilentSensorEndsTheRunMoreThanTheTimeOutAfterTheLastRequest) {
  // Three frames, then nothing.
  LineScript line([](int k, const Words&) {
    return k < 3 ? LineScript::Measurement(Frame(k)) : std::vector<uint8_t>{};
  });
  StartOn(line.sensor().slavePath());
  // The test's clock stands still until the unanswered request is on the
  // line, then moves a quarter second per reading.
  SetTestTimer(50.0);
  OnTestTimerRead([&](double) {
    if (line.Count(8) >= 4) AdvanceTestTimer(0.25);
  });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);

  EXPECT_EQ(line.Count(8), 4);
  EXPECT_DOUBLE_EQ(tstart, 50.0) << "counted from the last request";
  EXPECT_DOUBLE_EQ(tdiff, 1.75) << "1.5 s itself is not yet a time-out";
  EXPECT_EQ(stop_flag, 1);
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[shown.size() - 2], "Line Ok!");
  EXPECT_EQ(shown.back(), "Timeout RS232-Line!");
  // The last frame drawn is the third.
  EXPECT_EQ(U16(panelHandle, NUM_FirstEdge), 102);
  EXPECT_EQ(tVal, 602);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0);
  // The commands kept from the loop's replies are back once it has ended (the
  // background teach in background mode 2, which the sensor's set has).
  ASSERT_EQ(bMode, 2);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNTeach), 0);
  EXPECT_EQ(Dimmed(panelHandle, DropDCom), 0);
  EXPECT_EQ(Dimmed(panelHandle, GRAPH_Data), 1);
  int visible = 0;
  GetCtrlAttribute(panelHandle, GRAPH_Scope, UI_ATTR_VISIBLE, &visible);
  EXPECT_EQ(visible, 1);
}

TEST_F(RunLoop, ARunStartedInsideARunIsTurnedAwayAndOneStopEndsTheRun) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); });
  StartOn(line.sensor().slavePath());
  int sentByInner = -1;
  int measuresAtStop = 0;
  WhenReady inner([&] { return line.Count(8) >= 3; },
                  [&] {
                    // The operator cannot reach the dimmed button; a callback
                    // that starts a run can, and finds the sensor held.
                    const int before = line.CountArrived(8);
                    CC_BTNRun(panelHandle, BTNRun, UI_EVENT_COMMIT, nullptr, 0, 0);
                    sentByInner = line.CountArrived(8) - before;
                    measuresAtStop = line.Count(8);
                    PressStop();
                  });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(inner.fired());
  EXPECT_EQ(sentByInner, 0) << "returned at once, nothing sent";
  EXPECT_LE(line.CountArrived(8), measuresAtStop + 1);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
}

TEST_F(RunLoop, ClosingThePanelDuringARunEndsTheRunAndThenTheProgram) {
  ASSERT_NO_FATAL_FAILURE(Start());
  sim::SimThread& sensor = *sensor_;
  const size_t bringUp = sensor.Requests().size();
  size_t requestsAtClose = 0;
  WhenReady close([&] { return sensor.Requests().size() >= bringUp + 3; },
                  [&] {
                    requestsAtClose = sensor.Requests().size();
                    ASSERT_EQ(SimulateClosePanel(panelHandle), 0);
                  });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(close.fired());
  // The close ends the loop as Stop would: at most the request of the pass
  // that saw it follows.
  EXPECT_LE(TakeOrders().size(), requestsAtClose + 1);
  EXPECT_EQ(stop_flag, 1);

  // The recorded quit ends the event loop as soon as it is entered.
  QTimer::singleShot(3000, [] { QuitUserInterface(99); });
  EXPECT_EQ(RunUserInterface(), 0);
  ShutDown();
  started_ = false;
}

TEST_F(RunLoop, StopFromTheKeyboardEndsTheRun) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); });
  StartOn(line.sensor().slavePath());
  int stopped = -1;
  WhenReady stop([&] { return line.Count(8) >= 3; },
                 [&] {
                   QWidget* button = InspectControlWidget(panelHandle, BTNStop);
                   ASSERT_NE(button, nullptr);
                   QTest::keyClick(button, Qt::Key_Space);
                   stopped = stop_flag;
                 });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  EXPECT_EQ(stopped, 1);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
}

TEST_F(RunLoop, RunStartedWithSpaceHandsTheKeyboardToStopAndEscapeStopsIt) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); });
  StartOn(line.sensor().slavePath());
  QWidget* window = InspectPanelWindow(panelHandle);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  InspectControlWidget(panelHandle, BTNRun)->setFocus();
  QWidget* focusInRun = nullptr;
  int stoppedOnEscape = -1;
  int requestsAtEscape = 0;
  WhenReady escape([&] { return line.Count(8) >= 3; },
                   [&] {
                     focusInRun = QApplication::focusWidget();
                     QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
                     stoppedOnEscape = stop_flag;
                     requestsAtEscape = line.Count(8);
                   });
  QTest::keyClick(window->windowHandle(), Qt::Key_Space);
  ASSERT_TRUE(escape.fired());
  EXPECT_EQ(focusInRun, InspectControlWidget(panelHandle, BTNStop)) << "Space or Enter stops";
  EXPECT_EQ(stoppedOnEscape, 1);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
  EXPECT_LE(line.CountArrived(8), requestsAtEscape + 1);
}
