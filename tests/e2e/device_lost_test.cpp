// A sensor whose device goes away (the pty closed, as a USB adapter pulled
// out): while the program is idle, during the Run loop and during the Data
// loop. The loop ends at once with one message naming the port, the engine
// closes the port once, and choosing the port again once the device is back
// brings the link up.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "app/acquisition.h"
#include "app/dataloop.h"
#include "app/parameter_callbacks.h"
#include "link/portloss.h"
#include "runtime/rs232.h"
#include "runtime/serial_inspect.h"
#include "sim/sim_thread.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/program.h"
#include "tests/support/wait.h"

namespace fs = std::filesystem;

namespace {

int Count(const std::vector<std::string>& texts, const std::string& text) {
  return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

class DeviceLost : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vantrel-lost-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    device_ = (dir_ / "ttyUSB0").string();
    PlugIn();
    ASSERT_EQ(StartProgram(device_), 0);
    started_ = true;
    ASSERT_EQ(sensor_->Orders(), (std::vector<int>{5, 2, 7, 10}));
  }
  void TearDown() override {
    if (started_) ShutDown();
    if (sensor_) sensor_->Stop();
    fs::remove_all(dir_);
  }

  // A sensor appears at the device path (a fresh pty behind the same name).
  void PlugIn() {
    if (sensor_) sensor_->Stop();
    sim::Config config;
    config.paced = false;
    sensor_ = std::make_unique<sim::SimThread>(config);
    std::string error;
    ASSERT_TRUE(sensor_->Start(&error)) << error;
    fs::remove(device_);
    fs::create_symlink(sensor_->SlavePath(), device_);
  }

  std::string LostText() const {
    // The status line holds 72 characters.
    return ("Sensor lost on COM1 (" + device_ + "): device removed").substr(0, 72);
  }

  std::vector<std::string> TextsSince(size_t count) const {
    const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
    return std::vector<std::string>(shown.begin() + static_cast<long>(count), shown.end());
  }

  // The operator chooses COM1 again in the selector: the link comes up.
  void ChooseThePortAgain() {
    sensor_->ClearRequests();
    const size_t before = InspectShownTexts(panelHandle, TEXT_Status).size();
    CC_DropDCom(panelHandle, DropDCom, UI_EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(sensor_->Orders(), (std::vector<int>{5, 2, 7, 10}));
    const std::vector<std::string> texts = TextsSince(before);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Init COM-Port ...");
    EXPECT_EQ(texts.back(), sim::kDefaultFirmware);
    EXPECT_EQ(PortLost(), 0);
  }

  fs::path dir_;
  std::string device_;
  std::unique_ptr<sim::SimThread> sensor_;
  bool started_ = false;
};

}  // namespace

TEST_F(DeviceLost, WhileIdleTheNextExchangeNamesThePortOnce) {
  sensor_->Stop();
  ASSERT_TRUE(WaitUntil([] { return GetInQLen(com) == RS232_PORT_NOT_OPEN; }, 2.0))
      << "the engine closes the port of a vanished device";
  EXPECT_EQ(PortLost(), 1);
  const long reports = InspectComErrorReports(com);

  // Two reads of the parameter set: each tells the loss once and gives up at
  // once, since no reply can come.
  const size_t before = InspectShownTexts(panelHandle, TEXT_Status).size();
  const double start = Timer();
  SimulateClick(panelHandle, BTNGet);
  SimulateClick(panelHandle, BTNGet);
  EXPECT_LT(Timer() - start, 1.0);
  EXPECT_EQ(TextsSince(before), (std::vector<std::string>{LostText(), "Timeout-RS-232...",
                                                          LostText(), "Timeout-RS-232..."}));
  EXPECT_EQ(InspectComErrorReports(com), reports) << "no error flood";

  PlugIn();
  ChooseThePortAgain();
}

TEST_F(DeviceLost, DuringRunTheLoopEndsAtOnceWithOneMessage) {
  double lostAt = 0;
  // Pull the plug after a few measurement cycles.
  WhenReady pull([&] { return sensor_->Requests().size() >= 8; },
                 [&] {
                   sensor_->Stop();
                   lostAt = Timer();
                 });
  const size_t before = InspectShownTexts(panelHandle, TEXT_Status).size();
  SimulateClick(panelHandle, BTNRun);  // returns when the loop has ended
  const double endedAt = Timer();
  ASSERT_TRUE(pull.fired());
  EXPECT_LT(endedAt - lostAt, 1.0) << "ends before the time-out would";
  EXPECT_EQ(stop_flag, 1);
  const std::vector<std::string> texts = TextsSince(before);
  EXPECT_EQ(Count(texts, LostText()), 1);
  EXPECT_EQ(texts.back(), LostText());
  EXPECT_EQ(Count(texts, "Timeout RS232-Line!"), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);

  PlugIn();
  ChooseThePortAgain();
}

TEST_F(DeviceLost, DuringDataTheLoopEndsAtOnceWithOneMessage) {
  double lostAt = 0;
  // Pull the plug in the second pass, between video blocks.
  WhenReady pull([&] { return sensor_->Requests().size() >= 7; },
                 [&] {
                   sensor_->Stop();
                   lostAt = Timer();
                 });
  const size_t before = InspectShownTexts(panelHandle, TEXT_Status).size();
  SimulateClick(panelHandle, BTNData);
  const double endedAt = Timer();
  ASSERT_TRUE(pull.fired());
  EXPECT_LT(endedAt - lostAt, 1.0) << "no time-out per block";
  EXPECT_EQ(stop_flag, 1);
  const std::vector<std::string> texts = TextsSince(before);
  EXPECT_EQ(Count(texts, LostText()), 1);
  EXPECT_EQ(texts.back(), LostText());
  EXPECT_EQ(Count(texts, "Timeout-RS-232 while reading 64 data-words!"), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);

  PlugIn();
  ChooseThePortAgain();
}
