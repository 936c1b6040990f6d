// Start-up against the simulated sensor on COM1, paced like a real 19200-baud
// line: the wire carries the bring-up's orders and the panels show the sensor.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "link/reply_wait.h"
#include "runtime/rs232.h"
#include "runtime/testing/inspect.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/wait.h"

namespace {
class SimulatorStartUp : public OperatedProgram {
 protected:
  // The sensor and the program, keeping the bring-up's requests these tests look at.
  void BringUp(const sim::Config& config, std::optional<ParamWords> ram = std::nullopt) {
    ASSERT_NO_FATAL_FAILURE(StartSensor(config, ram));
    ASSERT_NO_FATAL_FAILURE(StartOn(sensor_->SlavePath()));
  }
};
}  // namespace

TEST_F(SimulatorStartUp, BringsUpLineParametersFirmwareAndCcd) {
  BringUp(sim::Config{}, DistinctTestParams());

  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{5, 2, 7, 10}));
  EXPECT_EQ(StatusLine(), std::string(sim::kDefaultFirmware));
  EXPECT_EQ(U16(panelHandle, NUM_Power), 640);
  EXPECT_EQ(U16(panelHandle, SW_PowerMode), 1);
  EXPECT_EQ(U16(panelHandle, NEDITVideoThreshold), 480);
  EXPECT_EQ(U16(panelHandle, DropDEvalmode), 0);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeLeft), 20);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeRight), 900);
  EXPECT_EQ(U16(panelPopUp, NEDITTeach), 300);
  EXPECT_EQ(U16(panelPopUp, NEDITTolerance), 40);
  EXPECT_EQ(U16(panelPopUp, RING_CCDBGMode), 2);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0) << "background mode 2 offers the teach";
  float factor = 0;
  GetCtrlVal(panelPopUp, NUM_ScalFact, &factor);
  EXPECT_FLOAT_EQ(factor, 0.95f);
  EXPECT_EQ(InspectTextBoxLine(panelPopUp, TEXTBOX_CCDInfo, 0),
            "  CCD-SENSOR: 1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range");
  EXPECT_EQ(ccdmaxpixel, 1024);
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1);
}

TEST_F(SimulatorStartUp, SmallSensorWithBytesDribblingInComesUpAlike) {
  sim::Config config;
  config.ccd_type = 3;
  config.faults.dribble = true;
  config.faults.dribble_gap_us = 300;
  BringUp(config);
  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{5, 2, 7, 10}));
  EXPECT_EQ(StatusLine(), std::string(sim::kDefaultFirmware));
  EXPECT_EQ(ccdmaxpixel, 512);
  EXPECT_EQ(InspectTextBoxLine(panelPopUp, TEXTBOX_CCDInfo, 0),
            "  CCD-SENSOR: 512 pixel; 25\xB5m pixel-pitch, 12,8mm working range");
}

TEST_F(SimulatorStartUp, TrailingBytesAfterEachReplyLeaveNoFirmwareTextButNoGarbage) {
  sim::Config config;
  config.faults.trailing = 4;
  // Unpaced, each reply and its trailing bytes arrive together. (Paced, the
  // bytes trailing a raw reply can arrive after its reader's flush and are then
  // taken as the start of the next frame: frames are matched by time alone.)
  config.paced = false;
  BringUp(config);
  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{5, 2, 7, 10}));
  // The firmware reply is then 76 bytes: more than the reply alone, so it is no
  // firmware text (stray bytes ahead of it would look the same).
  EXPECT_EQ(StatusLine(), "Error reading firmware-info!");
  EXPECT_STREQ(szVersion, "");
  EXPECT_EQ(ccdmaxpixel, 1024);
}

TEST_F(SimulatorStartUp, SilentSensorEndsWithTheCcdError) {
  sim::Config config;
  config.faults.silent = true;
  // The program's clock steps on by a quarter second at every look: each wait
  // sits out its limit in a fixed number of looks.
  SetTestTimer(0.0, 0.25);
  BringUp(config);
  const double endedAt = Timer();
  ReleaseTestTimer();
  // The CCD query is unanswered too: the sensor sees it a moment after it left.
  ASSERT_TRUE(sensor_->WaitForRequests(2, 2.0));
  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{5, 10}));
  // Both waits ended strictly after their 1.5 s, at the first look past it.
  EXPECT_GT(endedAt, 3.0);
  EXPECT_GT(tdiff, TIMEOUT);
  EXPECT_LE(tdiff, TIMEOUT + 0.25);
  EXPECT_EQ(StatusLine(), "Error reading CCD-info - parameters unread");
  EXPECT_EQ(InspectAccessibleName(panelHandle, TEXT_SetSource), "Values shown");
  EXPECT_EQ(InspectAccessibleValue(panelHandle, TEXT_SetSource), "unread: start values");

  // Run sends no unread set: it reads the set first and, unanswered, refuses;
  // answered, the first measurement carries the set read.
  sensor_->ClearRequests();
  SetTestTimer(10.0, 0.25);
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ReleaseTestTimer();
  EXPECT_EQ(StatusLine(), "Not started: parameters unread - use Get parameters or load a file");
  sensor_->Update([](sim::Config& c) { c.faults = sim::Faults{}; });
  EXPECT_EQ(TakeOrders(), std::vector<int>{2});
  WhenReady stop([this] { return sensor_->Requests().size() >= 3; }, [] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  AwaitSentRequests();
  const std::vector<sim::Request> run = sensor_->Requests();
  ASSERT_GE(run.size(), 2u);
  EXPECT_EQ(run[0].order * 10 + run[1].order, 28) << "read, then measured";
  EXPECT_EQ(run[1].words, kTestParams) << "the set just read, not the start values";
  EXPECT_EQ(sensor_->Ram(), kTestParams);
}

TEST_F(SimulatorStartUp, WrongReplySyncStopsAfterTheLineCheckAndTakesNoCcdWords) {
  sim::Config config;
  config.faults.wrong_sync = true;
  BringUp(config);
  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{5, 10}));
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  EXPECT_NE(std::find(shown.begin(), shown.end(), "read error - not sync byte 0xAA!"), shown.end());
  EXPECT_EQ(StatusLine(), "Error reading CCD-info - parameters unread");
  EXPECT_EQ(ccdmaxpixel, 0) << "a reply without the reply sync is no CCD information";
}

TEST_F(SimulatorStartUp, SensorVanishingDuringBringUpLeavesTheProgramUsable) {
  sim::Config config;
  config.faults.hangup_after = 2;  // line check and parameter read, then gone
  BringUp(config);
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1);
  // It ends on the loss, not on a time-out that did not happen; so do later
  // exchanges, which find no port.
  const std::string lost =
      std::string("Sensor lost on COM1 (") + ComPortDevice(1) + "): device removed";
  EXPECT_EQ(StatusLine(), lost);
  for (const std::string& text : InspectShownTexts(panelHandle, TEXT_Status))
    EXPECT_EQ(text.find("imeout"), std::string::npos) << text;
  EXPECT_EQ(GetInQLen(com), RS232_PORT_NOT_OPEN);
  EXPECT_EQ(CheckComLine(com), 0);
  EXPECT_EQ(StatusLine(), lost);
}
