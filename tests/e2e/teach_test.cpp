// The two teach commands against the simulated sensor: what goes out on the
// wire, how their waits end, the status texts and the read-back.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/e2e/operated_program.h"
#include "tests/support/wait.h"

namespace {
using Texts = std::vector<std::string>;

class SetPointTeach : public OperatedProgram {};
class BackgroundTeach : public OperatedProgram {
 protected:
  // RAM words the sensor starts with: background mode 2 offers the teach.
  inline static const ParamWords kRam = TestParams({{sim::kVThd, 480},
                                                    {sim::kTVal, 3},
                                                    {sim::kTTol, 40},
                                                    {sim::kBMode, 2},
                                                    {sim::kPara15, 950}});
  void StartOfferingTheTeach() {
    Start(Unpaced(), kRam);
    ShowSettingsPanel();
    ASSERT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0);
  }
  static uint16_t Led() { return U16(panelPopUp, LED_TeachBackGround); }
};
}  // namespace

TEST_F(SetPointTeach, AnsweredSendsThePackageAsItStandsThenReadsTheRamBack) {
  Start(Unpaced(), TestParams({{sim::kTVal, 3}}));
  // The package holds the words of the last reply, the CCD information; the
  // variables and the panels hold something else again.
  const std::array<uint16_t, 16> package = Package();
  ASSERT_NE(package[0], power);
  power = 999;
  SetCtrlVal(panelHandle, NUM_Power, 777);

  ASSERT_EQ(SimulateClick(panelHandle, BTNTeach), 0);

  ASSERT_EQ(sensor_->Orders(), (std::vector<int>{6, 2}));
  EXPECT_EQ(sensor_->Requests()[0].words, package) << "not refreshed from variables or panels";
  // Success is said on the sensor's answer, not when the order leaves.
  EXPECT_EQ(TextsSinceMark(),
            (Texts{"Waiting for the teach answer ...", "New setpoint value teached!",
                   "Waiting for parameter-frame ...", "Parameter-frame received! - Line Ok!"}));
  const uint16_t taught = sensor_->Ram()[8];
  ASSERT_NE(taught, 3) << "the sensor took the set-point from its line";
  EXPECT_EQ(tVal, taught);
  EXPECT_EQ(U16(panelPopUp, NEDITTeach), taught);
  EXPECT_EQ(U16(panelHandle, NUM_TeachValue), taught);
}

TEST_F(SetPointTeach, SilentSensorEndsInATimeOutAtTheLimitItself) {
  Start();
  Silence();
  const uint16_t teachShown = U16(panelPopUp, NEDITTeach);
  const uint16_t powerShown = U16(panelHandle, NUM_Power);
  std::vector<double> reads;
  SetTestTimer(10.0, 0.25);
  OnTestTimerRead([&](double reported) { reads.push_back(reported); });

  ASSERT_EQ(SimulateClick(panelHandle, BTNTeach), 0);

  ReleaseTestTimer();
  EXPECT_DOUBLE_EQ(tstart, 10.0);
  // 1.5 s elapsed ends the wait: no further poll at 1.75.
  EXPECT_DOUBLE_EQ(tdiff, 1.5);
  ASSERT_FALSE(reads.empty());
  EXPECT_DOUBLE_EQ(reads.back(), 11.5);
  EXPECT_EQ(TakeOrders(), (std::vector<int>{6}));
  // Unanswered, the teach is never said to be done.
  EXPECT_EQ(TextsSinceMark(), (Texts{"Waiting for the teach answer ...", "Timeout-RS-232..."}));
  EXPECT_EQ(U16(panelPopUp, NEDITTeach), teachShown);
  EXPECT_EQ(U16(panelHandle, NUM_Power), powerShown);
}

TEST_F(SetPointTeach, ReadBackThatTimesOutReplacesTheTeachMessage) {
  Start();
  sensor_->Update(
      [](sim::Config& c) { c.faults.drop_every = 2; });  // the teach is answered, the read not
  // The clock stands still until the read-back has gone out, then runs fast.
  SetTestTimer(10.0, 0.0);
  OnTestTimerRead([&](double) {
    if (sensor_->Orders().size() >= 2) AdvanceTestTimer(0.25);
  });

  ASSERT_EQ(SimulateClick(panelHandle, BTNTeach), 0);

  ReleaseTestTimer();
  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{6, 2}));
  EXPECT_EQ(TextsSinceMark(),
            (Texts{"Waiting for the teach answer ...", "New setpoint value teached!",
                   "Waiting for parameter-frame ...", "Timeout-RS-232..."}));
}

TEST_F(BackgroundTeach, PressSendsThePanelValuesAndTheCommitReadsTheRamBack) {
  StartOfferingTheTeach();
  ASSERT_EQ(SimulateEnterValue(panelHandle, NUM_Power, 640), 0);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NEDITTeach, 300), 0);
  sensor_->ClearRequests();
  MarkTexts();

  ASSERT_EQ(SimulatePress(panelPopUp, BTNTeachBackGround), 0);

  // The press handling is over; the click is not yet completed.
  EXPECT_EQ(Led(), 1);
  EXPECT_EQ(InspectAccessibleValue(panelPopUp, LED_TeachBackGround), "on");
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 1);
  ASSERT_EQ(sensor_->Orders(), (std::vector<int>{6}));
  std::array<uint16_t, 16> sent = kRam;
  sent[0] = 640;
  sent[8] = 300;
  EXPECT_EQ(sensor_->Requests()[0].words, sent) << "the controls as they stood at the press";
  EXPECT_EQ(TextsSinceMark(), (Texts{"Line Ok!", "Teach order echo received! - Line Ok!"}));

  ASSERT_EQ(SimulateRelease(panelPopUp, BTNTeachBackGround), 0);

  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{6, 2}));
  EXPECT_EQ(Led(), 0);
  EXPECT_EQ(InspectAccessibleValue(panelPopUp, LED_TeachBackGround), "off");
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0);
  EXPECT_EQ(TextsSinceMark(),
            (Texts{"Line Ok!", "Teach order echo received! - Line Ok!",
                   "Waiting for parameter-frame ...", "Parameter-frame received! - Line Ok!"}));
  EXPECT_EQ(U16(panelHandle, NUM_Power), 640) << "the sensor's RAM after the teach";
}

TEST_F(BackgroundTeach, SilentSensorTimesOutStrictlyAfterTheLimitAndTheClickStillEnds) {
  StartOfferingTheTeach();
  Silence();
  sensor_->ClearRequests();
  MarkTexts();
  std::vector<int> ledDuringWait, dimmedDuringWait;
  SetTestTimer(10.0, 0.25);
  OnTestTimerRead([&](double reported) {
    ledDuringWait.push_back(Led());
    dimmedDuringWait.push_back(Dimmed(panelPopUp, BTNTeachBackGround));
    // The operator lets go while the press handler still waits.
    if (reported == 10.5) SimulateRelease(panelPopUp, BTNTeachBackGround);
  });

  ASSERT_EQ(SimulatePress(panelPopUp, BTNTeachBackGround), 0);
  ReleaseTestTimer();

  // 1.5 s is not yet a time-out; the first poll beyond it is.
  EXPECT_DOUBLE_EQ(tdiff, 1.75);
  EXPECT_EQ(ledDuringWait, std::vector<int>(ledDuringWait.size(), 1));
  EXPECT_EQ(dimmedDuringWait, std::vector<int>(dimmedDuringWait.size(), 1));
  ASSERT_TRUE(WaitUntil([] { return Led() == 0; }, 2.0)) << "the commit comes after the press";
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0);
  EXPECT_EQ(TakeOrders(), (std::vector<int>{6})) << "no read-back without an answer";
  EXPECT_EQ(TextsSinceMark(), (Texts{"Line Ok!", "Timeout-RS-232..."}));
}

TEST_F(BackgroundTeach, ClickWithTheFullWaitEndsWithIndicatorOffAndButtonActive) {
  StartOfferingTheTeach();
  Silence();
  sensor_->ClearRequests();
  SetTestTimer(10.0, 0.25);

  ASSERT_EQ(SimulateClick(panelPopUp, BTNTeachBackGround), 0);
  ReleaseTestTimer();

  ASSERT_TRUE(WaitUntil([] { return Led() == 0; }, 2.0));
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0);
  EXPECT_EQ(StatusLine(), "Timeout-RS-232...");
}
