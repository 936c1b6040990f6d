// One operation talks to the sensor at a time, and no set that was neither
// read nor chosen reaches it: commands reached inside another operation's
// wait, and a hostile tester's random clicks and keys.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>

#include "app/run_loop.h"
#include "app/sensor_operation.h"
#include "app/teach.h"
#include "runtime/testing/inspect_widgets.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"

namespace {
using Orders = std::vector<int>;
const ParamWords kRam = DistinctTestParams();
class OneOperation : public OperatedProgram {
 protected:
  void LateReplies(int ms) {
    sensor_->Update([ms](sim::Config& c) { c.faults.delay_ms = ms; });
  }
  // Run and the teach clicked, then reached by their callbacks (as a shortcut
  // would); 2 when both clicks met a dimmed button.
  static int TryRunAndTeach() {
    const int refused =
        (SimulateClick(panelHandle, BTNRun) < 0) + (SimulateClick(panelHandle, BTNTeach) < 0);
    CC_BTNRun(panelHandle, BTNRun, UI_EVENT_COMMIT, nullptr, 0, 0);
    CC_ButtonTeach(panelHandle, BTNTeach, UI_EVENT_COMMIT, nullptr, 0, 0);
    return refused;
  }
};
}  // namespace

TEST_F(OneOperation, RunWhileGetWaitsAndDuringTheStartUpIsTurnedAwayAndSendWritesTheSetRead) {
  ASSERT_NO_FATAL_FAILURE(StartSensor(Unpaced(), kRam));
  LateReplies(300);
  int refused = 0;
  WhenReady startUp([&] { return sensor_->Requests().size() >= 1; },
                    [&] { refused = TryRunAndTeach(); });
  // Were a Run let in, it would end only with Stop.
  WhenReady stop([&] { return startUp.fired(); }, [] { PressStop(); });
  ASSERT_NO_FATAL_FAILURE(StartOn(sensor_->SlavePath()));
  EXPECT_EQ(refused, 2);
  EXPECT_EQ(TakeOrders(), (Orders{5, 2, 7, 10}));
  EXPECT_EQ(ccdmaxpixel, 1024);

  const auto clicked = std::chrono::steady_clock::now();
  WhenReady run(
      [&] { return std::chrono::steady_clock::now() - clicked > std::chrono::milliseconds(100); },
      [&] {
        refused = TryRunAndTeach() + Dimmed(panelHandle, BTNSend) + Dimmed(panelHandle, DropDCom);
      });
  WhenReady stopAgain([&] { return run.fired(); }, [] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  EXPECT_EQ(refused, 4);
  ASSERT_EQ(SimulateClick(panelHandle, BTNSend), 0);
  AwaitSentRequests();
  ASSERT_EQ(sensor_->Orders(), (Orders{2, 1})) << "no measurement, no teach";
  EXPECT_EQ(sensor_->Requests()[1].words, kRam) << "Send wrote the set Get read";
  EXPECT_EQ(sensor_->Ram(), kRam);
}

// 200 clicks and keys 0 to 12 ms apart, most landing inside another
// operation's wait (replies 20 ms late); now and then a port without a device.
// "Chosen", word by word: values read from the sensor's RAM or EEPROM, what a
// control shows after the operator typed, picked or toggled it, the whole line
// the CCD information sets, the teach value the sensor took itself. Every
// write, background teach and measurement that carries a parameter set must
// hold chosen values only.
TEST_F(OneOperation, TwoHundredRandomClicksAndKeysSendOnlySetsReadOrChosen) {
  const char* given = std::getenv("VANTREL_TEST_SEED");
  const unsigned seed = given ? static_cast<unsigned>(std::atoll(given)) : std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed) + " (VANTREL_TEST_SEED repeats it)");
  std::mt19937 random(seed);
  const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  const ParamWords eeprom =
      TestParams({{sim::kPower, 720}, {sim::kVThd, 300}, {sim::kPara15, 1100}});
  std::set<uint16_t> chosen[16];
  for (const ParamWords& set : {kRam, eeprom, kTestParams})
    for (int i = 0; i < 16; ++i) chosen[i].insert(set[static_cast<size_t>(i)]);
  chosen[7].insert(1024);

  ASSERT_NO_FATAL_FAILURE(StartSensor(Unpaced(), kRam));
  sensor_->SetEeprom(eeprom);
  ASSERT_NO_FATAL_FAILURE(StartOn(sensor_->SlavePath()));
  LateReplies(20);
  setenv("VANTREL_COM2", sensor_->SlavePath().c_str(), 1);
  setenv("VANTREL_COM3", "/nonexistent/vantrel-com3", 1);
  for (int i = 0; i < 250; ++i) QueueConfirmAnswer(pick(2));
  SetTestTimer(0.0, 0.03);  // time-outs cost looks at the clock, not seconds
  QTimer teachWatch;
  QObject::connect(&teachWatch, &QTimer::timeout, [&] { chosen[8].insert(sensor_->Ram()[8]); });
  teachWatch.start(1);

  struct Entry {
    int panel, control, word, high;
  };
  const Entry entries[] = {
      {panelHandle, NUM_Power, 0, 1000},     {panelHandle, NEDITVideoThreshold, 2, 1023},
      {panelHandle, NEDITEdgeLeft, 6, 1024}, {panelHandle, NEDITEdgeRight, 7, 1024},
      {panelPopUp, NEDITTolerance, 9, 512},  {panelPopUp, NSLIDE_PixelStart, 13, 1023},
      {panelHandle, DropDEvalmode, 5, 3},    {panelPopUp, RING_CCDBGMode, 14, 2},
      {panelHandle, SW_Polarity, 4, 1},      {panelPopUp, BIN_Sw_EnableTol, 11, 1}};
  const int commands[] = {BTNRun, BTNStop, BTNData, BTNGet, BTNSend, BTNTeach, BTNSettings};
  const std::function<void()> actions[] = {
      [&] { SimulateClick(panelHandle, commands[pick(7)]); },
      [&] { SimulateClick(panelPopUp, BTNTeachBackGround); },
      [&] { SimulateToggle(panelHandle, pick(2) ? RBTRam : RBTEeprom); },
      [&] { SimulateSelectItem(panelHandle, DropDCom, 1 + pick(3)); },
      [&] {
        QTest::keyClick(InspectControlWidget(panelHandle, DropDCom),
                        pick(2) ? Qt::Key_Up : Qt::Key_Down);
      },
      [&] { QTest::keyClick(InspectPanelWindow(panelHandle), Qt::Key_Escape); },
      [&] {
        const Entry& e = entries[pick(static_cast<int>(std::size(entries)))];
        if (e.high == 1) SimulateToggle(e.panel, e.control);
        if (e.high > 1 && e.high <= 3) SimulateSelectItem(e.panel, e.control, pick(e.high + 1));
        if (e.high > 3) SimulateEnterValue(e.panel, e.control, pick(e.high + 1));
        chosen[e.word].insert(U16(e.panel, e.control));
      }};
  int done = 0, depth = 0;
  bool finished = false;
  std::function<void()> act = [&] {
    if (done == 200) {  // the end: whatever still runs is stopped
      PressStop();
      finished = depth == 0 && sensorOperation == OPERATION_NONE;
      if (!finished) QTimer::singleShot(5, act);
      return;
    }
    ++depth, ++done;
    QTimer::singleShot(pick(12), act);
    const int kind = pick(10);
    actions[kind < 3 ? 0 : kind < 6 ? kind - 2 : kind < 9 ? 6 : 4 + pick(2)]();
    --depth;
  };
  QTimer::singleShot(0, act);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!(finished && depth == 0) && std::chrono::steady_clock::now() < deadline)
    ProcessSystemEvents();
  ReleaseTestTimer();
  unsetenv("VANTREL_COM2");
  unsetenv("VANTREL_COM3");
  ASSERT_TRUE(finished) << SensorOperationName(sensorOperation) << " holds the sensor";

  int sets = 0;
  for (const sim::Request& r : sensor_->Requests()) {
    const bool carriesSet =
        (r.order == 8 || (r.order == 6 && r.words[14] == 2)) && sim::IsParameterSet(r.words);
    if (r.order != 1 && r.order != 3 && !carriesSet) continue;
    ++sets;
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(chosen[i].count(r.words[static_cast<size_t>(i)]), 1u)
          << "order " << r.order << " word " << i << " = " << r.words[static_cast<size_t>(i)];
  }
  EXPECT_GT(sets, 0);
}
