// The data command through the real callbacks and engine: four video blocks
// and one measurement frame per pass, both graphs drawn, Stop pressed from
// inside the running loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/data_loop.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/testing/inspect_widgets.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/line_script.h"
#include "tests/e2e/operated_program.h"

namespace {
using Words = LineScript::Words;

// Measurement frame k of the data loop: the sensor reports window start 300 + k.
Words Frame(int k) {
  const uint16_t n = static_cast<uint16_t>(k);
  return Words{static_cast<uint16_t>(100 + n), 400, 250, 700, 30,
               static_cast<uint16_t>(300 + n), 2,   10,  20};
}

// Video block from `start`: words 1000 - start - i, so each block's place shows.
std::vector<uint8_t> Block(int start, int /*last*/) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 64; ++i) {
    const uint16_t word = static_cast<uint16_t>(1000 - start - i);
    bytes.push_back(static_cast<uint8_t>(word >> 8));
    bytes.push_back(static_cast<uint8_t>(word & 0xFF));
  }
  return bytes;
}

Words BlockRequest(uint16_t start, uint16_t last) {
  Words words{};
  words[0] = start;
  words[1] = last;
  return words;
}

class DataLoop : public OperatedProgram {};
}  // namespace

TEST_F(DataLoop, APassReadsFourBlocksThenOneMeasurementAndDrawsBothGraphs) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); }, Block);
  StartOn(line.sensor().slavePath());
  DisplayPanel(panelPopUp);
  SetCtrlVal(panelHandle, RBTFile, 1);
  SetCtrlVal(panelHandle, RBTRam, 0);
  target = DATFILE;
  const std::vector<std::string> before = InspectShownTexts(panelHandle, TEXT_Status);
  const Words bringUpPackage = Package();

  int dimmedDuring = -1;
  // Stop during the second pass's block reads: that pass still completes.
  WhenReady stop([&] { return line.Count(9) >= 6; },
                 [&] {
                   dimmedDuring = Dimmed(panelHandle, BTNRun) + Dimmed(panelHandle, BTNData) +
                                  Dimmed(panelHandle, BTNGet);
                   PressStop();
                 });
  ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
  ASSERT_TRUE(stop.fired());
  EXPECT_EQ(dimmedDuring, 3);

  const std::vector<LoggedRequest> data = line.From(9);
  ASSERT_EQ(data.size(), 10u);
  for (int pass = 0; pass < 2; ++pass) {
    for (int block = 0; block < 4; ++block) {
      const LoggedRequest& r = data[5 * pass + block];
      EXPECT_EQ(r.order, 9);
      EXPECT_EQ(r.words, BlockRequest(static_cast<uint16_t>(64 * block), block == 3 ? 1 : 0))
          << "pass " << pass << " block " << block;
    }
    EXPECT_EQ(data[5 * pass + 4].order, 8);
  }
  // The measurement request sends the package as it stands: first the words
  // of the bring-up's last reply, then those of the previous frame.
  EXPECT_EQ(data[4].words, bringUpPackage);
  EXPECT_EQ(data[9].words, Frame(0));

  // Both graphs show the second pass.
  const std::vector<GraphPlotInfo> video = InspectGraphPlots(panelHandle, GRAPH_Data);
  ASSERT_EQ(video.size(), 2u);
  ASSERT_EQ(video[0].y.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(video[0].y[i], 1000 - i) << i;
    ASSERT_EQ(video[0].x[i], 4 * i) << i;  // whole line of 1024 pixels
    ASSERT_EQ(video[1].y[i], 512) << i;
  }
  EXPECT_EQ(video[0].color, 0xFF0000);
  EXPECT_EQ(video[1].color, 0x008000);
  EXPECT_EQ(U16(panelHandle, NUM_FirstEdge), 101);
  EXPECT_EQ(pix1, 301);
  EXPECT_EQ(Dimmed(panelHandle, GRAPH_Data), 0);

  // The line says the wait once and then keeps "received" standing through
  // both passes instead of flickering between the two texts.
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  const std::vector<std::string> passes(shown.begin() + static_cast<long>(before.size()),
                                        shown.end());
  const std::vector<std::string> expected = {"Waiting for Data[64] ...",
                                             "Data[64] block received!"};
  EXPECT_EQ(passes, expected);

  EXPECT_EQ(InspectPanelVisible(panelPopUp), 0);
  EXPECT_EQ(hidePopUp, 1);
  EXPECT_EQ(target, RAM);
  EXPECT_EQ(U16(panelHandle, RBTRam), 1);
  EXPECT_EQ(U16(panelHandle, RBTFile), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0);

  // The receive notification is back: a parameter read works.
  PushGET(RAM);
  EXPECT_EQ(StatusLine(), "Parameter-frame received! - Line Ok!");
  EXPECT_EQ(line.Requests().back().order, 2);
}

TEST_F(DataLoop, WindowModeOnePlacesTheVideoAtPixelStartEveryPass) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); }, Block);
  StartOn(line.sensor().slavePath());
  ccdMode = 1;
  pStart = 100;
  int pixelStartChanged = 0;
  WhenReady change([&] { return line.Count(9) >= 2; },
                   [&] {
                     pStart = 200;
                     pixelStartChanged = 1;
                   });
  WhenReady stop([&] { return line.Count(9) >= 6; }, [&] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
  ASSERT_EQ(pixelStartChanged, 1);
  const std::vector<GraphPlotInfo> video = InspectGraphPlots(panelHandle, GRAPH_Data);
  ASSERT_EQ(video.size(), 2u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(video[0].x[i], 200 + i) << i;
  GraphAxisInfo axis;
  ASSERT_EQ(InspectGraphAxis(panelHandle, GRAPH_Data, UI_AXIS_X, &axis), 0);
  EXPECT_DOUBLE_EQ(axis.min, 200.0);
  EXPECT_DOUBLE_EQ(axis.max, 456.0);
  // The scope draws the window from pStart in mode 1.
  ASSERT_EQ(InspectGraphAxis(panelHandle, GRAPH_Scope, UI_AXIS_X, &axis), 0);
  EXPECT_DOUBLE_EQ(axis.min, 200.0);
}

TEST_F(DataLoop, WindowModeTwoKeepsTheSetUpsVideoPlacesWhileTheSensorMovesIt) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); }, Block);
  StartOn(line.sensor().slavePath());
  ccdMode = 2;
  pix1 = 50;
  WhenReady stop([&] { return line.Count(9) >= 6; }, [&] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
  const std::vector<GraphPlotInfo> video = InspectGraphPlots(panelHandle, GRAPH_Data);
  ASSERT_EQ(video.size(), 2u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(video[0].x[i], 50 + i) << i;
  EXPECT_EQ(pix1, 301) << "taken from each measurement frame";
}

TEST_F(DataLoop, SilentSensorEndsAfterOneCompletedPassOfFiveTimeOuts) {
  ASSERT_NO_FATAL_FAILURE(Start());
  sim::SimThread& sensor = *sensor_;
  sensor.Update([](sim::Config& c) { c.faults.silent = true; });
  const size_t bringUp = sensor.Requests().size();
  const std::vector<std::string> before = InspectShownTexts(panelHandle, TEXT_Status);
  pp[0] = 123;  // stale words, no measurement: never drawn, never taken over
  pp[3] = 229;
  pp[4] = 0;
  pp[6] = 2;
  const uint16_t firstEdgeBefore = U16(panelHandle, NUM_FirstEdge);
  const uint16_t teachBefore = tVal, toleranceBefore = tTol;
  const std::vector<GraphPlotInfo> scopeBefore = InspectGraphPlots(panelHandle, GRAPH_Scope);
  // Each reading of the clock moves it on by a quarter second.
  SetTestTimer(10.0, 0.25);
  ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
  const double elapsed = Timer() - 10.0;
  ReleaseTestTimer();

  ASSERT_TRUE(sensor.WaitForRequests(bringUp + 5, 2.0));
  std::vector<int> orders = sensor.Orders();
  orders.erase(orders.begin(), orders.begin() + static_cast<long>(bringUp));
  EXPECT_EQ(orders, (std::vector<int>{9, 9, 9, 9, 8}));
  // Five waits of more than 1.5 s each.
  EXPECT_GT(elapsed, 7.5);
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  const std::vector<std::string> pass(shown.begin() + static_cast<long>(before.size()),
                                      shown.end());
  std::vector<std::string> expected;
  for (int block = 0; block < 4; ++block) {
    expected.push_back("Waiting for Data[64] ...");
    expected.push_back("Timeout-RS-232 while reading 64 data-words!");
  }
  expected.push_back("Timeout RS232-Line!");
  EXPECT_EQ(pass, expected);
  // The pass was completed: the video drawn; without a measurement frame the
  // scope, its read-outs and the teach words stay as they were.
  EXPECT_EQ(InspectGraphPlots(panelHandle, GRAPH_Data).size(), 2u);
  EXPECT_EQ(U16(panelHandle, NUM_FirstEdge), firstEdgeBefore);
  EXPECT_EQ(InspectGraphPlots(panelHandle, GRAPH_Scope).size(), scopeBefore.size());
  EXPECT_EQ(InspectGraphPlots(panelHandle, GRAPH_Scope).back().handle, scopeBefore.back().handle);
  EXPECT_EQ(tVal, teachBefore);
  EXPECT_EQ(tTol, toleranceBefore);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);
}

TEST_F(DataLoop, ALostMeasurementFrameNeverBecomesTheTeachWordsARunSends) {
  ASSERT_NO_FATAL_FAILURE(Start());
  sim::SimThread& sensor = *sensor_;
  const std::array<uint16_t, 16> ram = sensor.Ram();
  // Every fifth reply lost: the first pass's measurement frame.
  sensor.Update([](sim::Config& c) { c.faults.drop_every = 5; });
  ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
  EXPECT_EQ(StatusLine(), "Timeout RS232-Line!");
  EXPECT_EQ(tVal, ram[8]);
  EXPECT_EQ(tTol, ram[9]);

  sensor.Update([](sim::Config& c) { c.faults = sim::Faults{}; });
  const size_t before = sensor.Requests().size();
  WhenReady stop([&] { return sensor.Requests().size() >= before + 3; }, [&] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(stop.fired());
  const std::vector<sim::Request> run = sensor.Requests();
  for (size_t i = before; i < run.size(); ++i) {
    EXPECT_EQ(run[i].words[8], ram[8]) << "request " << i;
    EXPECT_EQ(run[i].words[9], ram[9]) << "request " << i;
  }
  EXPECT_EQ(sensor.Ram()[8], ram[8]);
  EXPECT_EQ(sensor.Ram()[9], ram[9]);
}

TEST_F(DataLoop, TheSettingsPanelComesBackWithOneClickAfterwards) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); }, Block);
  StartOn(line.sensor().slavePath());
  ASSERT_EQ(SimulateClick(panelHandle, BTNSettings), 0);
  ASSERT_EQ(InspectPanelVisible(panelPopUp), 1);
  WhenReady stop([&] { return line.Count(9) >= 2; }, [&] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
  EXPECT_EQ(InspectPanelVisible(panelPopUp), 0);
  ASSERT_EQ(SimulateClick(panelHandle, BTNSettings), 0);
  EXPECT_EQ(InspectPanelVisible(panelPopUp), 1) << "one click shows it again";
}

TEST_F(DataLoop, ARunThenTheDataCommandMakesTheDataGraphActiveAgain) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); }, Block);
  StartOn(line.sensor().slavePath());
  WhenReady stopRun([&] { return line.Count(8) >= 2; }, [&] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_EQ(Dimmed(panelHandle, GRAPH_Data), 1);
  const int before = line.Count(9);
  WhenReady stopData([&] { return line.Count(9) >= before + 1; },
                     [&] {
                       EXPECT_EQ(Dimmed(panelHandle, GRAPH_Data), 0) << "active while it runs";
                       PressStop();
                     });
  ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
  ASSERT_TRUE(stopData.fired());
  EXPECT_EQ(Dimmed(panelHandle, GRAPH_Data), 0);
}

TEST_F(DataLoop, AFrameTakenInAtTheLastLookBeforeTheLimitIsNoTimeOut) {
  // The first measurement frame is held back until the test lets it go.
  std::atomic<bool> release{false};
  LineScript line(
      [&](int k, const Words&) {
        while (k == 0 && !release) std::this_thread::yield();
        return LineScript::Measurement(Frame(k));
      },
      Block);
  StartOn(line.sensor().slavePath());
  // At one reading of the clock during the first measurement wait: the frame
  // is let go and has reached the port, and the clock jumps past the limit.
  // The frame is taken in by the event processing that follows, before the
  // clock is read again.
  bool jumped = false;
  SetTestTimer(30.0);
  OnTestTimerRead([&](double) {
    if (jumped || line.Count(8) < 1) return;
    jumped = true;
    release = true;
    for (int i = 0; GetInQLen(com) < 36 && i < 2000000; ++i) std::this_thread::yield();
    AdvanceTestTimer(2.0);
  });
  WhenReady stop([&] { return line.Count(9) >= 6; }, [&] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
  ASSERT_TRUE(jumped);
  ASSERT_TRUE(stop.fired()) << "the first pass's frame counted as a time-out";
  for (const std::string& text : InspectShownTexts(panelHandle, TEXT_Status)) {
    EXPECT_NE(text, "Timeout RS232-Line!");
  }
  EXPECT_EQ(line.Count(8), 2);
}

TEST_F(DataLoop, VideoDataStartedWithEnterHandsTheKeyboardToStopAndEscapeStopsIt) {
  LineScript line([](int k, const Words&) { return LineScript::Measurement(Frame(k)); }, Block);
  StartOn(line.sensor().slavePath());
  QWidget* window = InspectPanelWindow(panelHandle);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  InspectControlWidget(panelHandle, BTNData)->setFocus();
  QWidget* focusInLoop = nullptr;
  int passesAtEscape = 0;
  WhenReady escape([&] { return line.Count(8) >= 2; },
                   [&] {
                     focusInLoop = QApplication::focusWidget();
                     // Escape stops also from the data graph, which takes the
                     // focus for its zoom and read-out keys.
                     InspectControlWidget(panelHandle, GRAPH_Data)->setFocus();
                     QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
                     passesAtEscape = line.Count(8);
                   });
  QTest::keyClick(window->windowHandle(), Qt::Key_Return);
  ASSERT_TRUE(escape.fired());
  EXPECT_EQ(focusInLoop, InspectControlWidget(panelHandle, BTNStop));
  EXPECT_LE(line.CountArrived(8), passesAtEscape + 1) << "the pass that saw Escape was the last";
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);
}
