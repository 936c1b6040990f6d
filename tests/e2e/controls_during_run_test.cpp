// Parameter controls used while the Run loop runs against the simulated
// sensor: what they change at once, what the next requests carry, and what the
// next scope picture puts back.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"

namespace {
class ControlsDuringRun : public OperatedProgram {
 protected:
  // Evaluation mode 2 (scale factor open), whole line, background mode 0.
  void SetUp() override {
    Start(Unpaced(), TestParams({{sim::kVThd, 480},
                                 {sim::kEMode, 2},
                                 {sim::kEBeg, 20},
                                 {sim::kEEnd, 900},
                                 {sim::kTTol, 40}}));
    ShowSettingsPanel();
  }
  int Measurements() const {
    int count = 0;
    for (int order : sensor_->Orders()) count += order == 8 ? 1 : 0;
    return count;
  }
  std::vector<sim::Request> MeasurementsFrom(size_t first) const {
    std::vector<sim::Request> found;
    const auto all = sensor_->Requests();
    for (size_t i = first; i < all.size(); ++i)
      if (all[i].order == 8) found.push_back(all[i]);
    return found;
  }
  void Run() { ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0); }
};
}  // namespace

TEST_F(ControlsDuringRun, BackgroundModeTwoChosenWhileRunningLeavesTheTeachDimmed) {
  int buttonDuring = -1, ledDuring = -1;
  WhenReady choose([&] { return Measurements() >= 3; },
                   [&] {
                     ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDBGMode, 2), 0);
                     buttonDuring = Dimmed(panelPopUp, BTNTeachBackGround);
                     ledDuring = Dimmed(panelPopUp, LED_TeachBackGround);
                     PressStop();
                   });
  Run();
  ASSERT_TRUE(choose.fired());
  EXPECT_EQ(buttonDuring, 1);
  EXPECT_EQ(ledDuring, 1);
  // Stop offers the teach only when bMode is 2; the ring alone did not change it.
  EXPECT_EQ(bMode, 0);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 1);

  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDBGMode, 1), 0);
  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDBGMode, 2), 0);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0) << "no loop runs now";
  EXPECT_EQ(Dimmed(panelPopUp, LED_TeachBackGround), 0);
}

TEST_F(ControlsDuringRun, EdgeCursorsMoveAtOnceAndTheNextPictureTakesThemBack) {
  double leftAtOnce = -1, rightAtOnce = -1, leftAfter = -1, rightAfter = -1;
  int measuresAtEdit = 0;
  WhenReady edit([&] { return Measurements() >= 3; },
                 [&] {
                   ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeLeft, 200), 0);
                   ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeRight, 700), 0);
                   leftAtOnce = CursorX(2);
                   rightAtOnce = CursorX(3);
                   measuresAtEdit = Measurements();
                 });
  WhenReady look([&] { return edit.fired() && Measurements() >= measuresAtEdit + 2; },
                 [&] {
                   leftAfter = CursorX(2);
                   rightAfter = CursorX(3);
                   PressStop();
                 });
  const size_t before = sensor_->Requests().size();
  Run();
  ASSERT_TRUE(look.fired());
  EXPECT_DOUBLE_EQ(leftAtOnce, 200.0);
  EXPECT_DOUBLE_EQ(rightAtOnce, 700.0);
  EXPECT_DOUBLE_EQ(leftAfter, eBeg);
  EXPECT_DOUBLE_EQ(rightAfter, eEnd);
  for (const sim::Request& request : MeasurementsFrom(before)) {
    EXPECT_EQ(request.words[6], eBeg) << "the edits reach eBeg only with the panel values";
    EXPECT_EQ(request.words[7], eEnd);
  }

  // Enter on the unchanged limits puts the cursors back where the edits say.
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeLeft, 200), 0);
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeRight, 700), 0);
  EXPECT_DOUBLE_EQ(CursorX(2), 200.0);
  EXPECT_DOUBLE_EQ(CursorX(3), 700.0);
}

TEST_F(ControlsDuringRun, ScaleFactorTypedWhileRunningGoesOutWithTheNextRequest) {
  int measuresAtEdit = 0;
  WhenReady edit([&] { return Measurements() >= 3; },
                 [&] {
                   ASSERT_EQ(SimulateEnterValue(panelPopUp, NUM_ScalFact, 1.15), 0);
                   measuresAtEdit = Measurements();
                 });
  WhenReady stop([&] { return edit.fired() && Measurements() >= measuresAtEdit + 3; },
                 [&] { PressStop(); });
  const size_t before = sensor_->Requests().size();
  Run();
  ASSERT_TRUE(stop.fired());
  const std::vector<sim::Request> run = MeasurementsFrom(before);
  ASSERT_GE(run.size(), static_cast<size_t>(measuresAtEdit + 2));
  EXPECT_EQ(run.front().words[15], 1000);
  EXPECT_EQ(run.back().words[15], 1150);
  EXPECT_EQ(run[measuresAtEdit + 1].words[15], 1150) << "the request after the edit";
}
