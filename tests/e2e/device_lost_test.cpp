// A sensor whose device goes away (the pty closed, as a USB adapter pulled
// out): while the program is idle, during the Run loop and during the Data
// loop. The status line names the port once, at once (an idle program hears of
// it through its receive notification); a loop ends at once on it; the engine
// closes the port once, and choosing the port again once the device is back
// brings the link up. An idle program brings it up by itself, once per return.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/data_loop.h"
#include "app/loop_control.h"
#include "app/parameter_callbacks.h"
#include "app/run_loop.h"
#include "link/port_loss.h"
#include "monitor/qt/line_monitor.h"
#include "runtime/rs232.h"
#include "runtime/testing/serial_inspect.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/wait.h"
#include "watch/qt/recorder.h"

namespace fs = std::filesystem;

namespace {

int Count(const std::vector<std::string>& texts, const std::string& text) {
  return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

class DeviceLost : public OperatedProgram {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vantrel-lost-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    device_ = (dir_ / "ttyUSB0").string();
    PlugIn();
    ASSERT_NO_FATAL_FAILURE(StartOn(device_));
    ASSERT_EQ(sensor_->Orders(), (std::vector<int>{5, 2, 7, 10}));
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallRecorder();
    UninstallLineMonitor();
    ClearComUsbSerialsForTests();
    fs::remove_all(dir_);
  }

  // A sensor appears at the device path: a fresh pty behind the same name, made
  // the sensor's own USB adapter (or another one) by its serial number.
  void PlugIn(sim::Config config = Unpaced(), std::optional<ParamWords> ram = std::nullopt,
              const std::string& serial = "SENSOR-1") {
    ASSERT_NO_FATAL_FAILURE(StartSensor(config, ram));
    SetComUsbSerialForTests(sensor_->SlavePath(), serial);
    fs::remove(device_);
    fs::create_symlink(sensor_->SlavePath(), device_);
  }

  // The adapter is pulled out: the sensor and its device node are gone (a
  // link left behind could lead to another process's new pty of that name).
  void Pull() {
    sensor_->Stop();
    fs::remove(device_);
  }

  std::string LostText() const {
    // The status line holds 72 characters.
    return ("Sensor lost on COM1 (" + device_ + "): device removed").substr(0, 72);
  }

  std::string BackText() const {
    return ("Sensor back on COM1 (" + device_ + "): reconnecting").substr(0, 72);
  }

  std::string OtherText() const {
    return ("Different device on COM1 (" + device_ + "): not used").substr(0, 72);
  }

  // Runs the outer event loop, as the idle program does, until `done()` or `seconds`.
  static bool IdleUntil(const std::function<bool()>& done, double seconds) {
    const double start = Timer();
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
      if (done() || Timer() - start > seconds) QuitUserInterface(0);
    });
    look.start(5);
    RunUserInterface();
    return done();
  }

  // The idle program loses its sensor and a new one comes back behind the same
  // path; returns the orders the new one received until a while after `last`.
  std::vector<int> LoseAndReturn(const std::string& last, sim::Config config,
                                 std::optional<ParamWords> ram = std::nullopt) {
    MarkTexts();
    Pull();
    EXPECT_TRUE(IdleUntil([&] { return StatusLine() == LostText(); }, 2.0));
    PlugIn(config, ram);
    EXPECT_TRUE(IdleUntil([&] { return StatusLine() == last; }, 5.0));
    // Several looks of the device watch: a return is told once.
    IdleUntil([] { return false; }, 1.0);
    return sensor_->Orders();
  }

  // The operator chooses COM1 again in the selector: the link comes up.
  void ChooseThePortAgain() {
    sensor_->ClearRequests();
    MarkTexts();
    CC_DropDCom(panelHandle, DropDCom, UI_EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(sensor_->Orders(), (std::vector<int>{5, 2, 7, 10}));
    const std::vector<std::string> texts = TextsSinceMark();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Init COM-Port ...");
    EXPECT_EQ(texts.back(), sim::kDefaultFirmware);
    EXPECT_EQ(PortLost(), 0);
  }

  fs::path dir_;
  std::string device_;
};

}  // namespace

TEST_F(DeviceLost, WhileIdleTheStatusLineNamesThePortOnceAtOnce) {
  // Nothing talks to the sensor: only the event loop can notice the loss.
  MarkTexts();
  const double pulledAt = Timer();
  Pull();
  ASSERT_TRUE(WaitUntil([&] { return !TextsSinceMark().empty(); }, 2.0))
      << "the loss is shown without any operation";
  EXPECT_LT(Timer() - pulledAt, 1.0);
  EXPECT_EQ(TextsSinceMark(), (std::vector<std::string>{LostText()}));
  EXPECT_EQ(StatusLine(), LostText());
  EXPECT_EQ(PortLost(), 1);
  EXPECT_EQ(GetInQLen(com), RS232_PORT_NOT_OPEN) << "the engine closed the port";
  const long reports = InspectComErrorReports(com);
  // A flood would come at every round of the event loop, or when the engine's
  // longest timer, the rest of a 36-byte frame at 19200 baud (19 ms), ends.
  ProcessEventsFor(0.05);
  EXPECT_EQ(TextsSinceMark().size(), 1u) << "no flood";
  EXPECT_EQ(InspectComErrorReports(com), reports) << "no error flood";
  EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0) << "no freeze";

  // Two reads of the parameter set and a teach give up at once, since no reply
  // can come, and leave the loss on the line, not a time-out.
  MarkTexts();
  const double start = Timer();
  SimulateClick(panelHandle, BTNGet);
  SimulateClick(panelHandle, BTNTeach);  // waits for no confirmation, claims no teach
  SimulateClick(panelHandle, BTNGet);
  EXPECT_LT(Timer() - start, 1.0);
  EXPECT_EQ(TextsSinceMark(), (std::vector<std::string>{LostText(), LostText()}))
      << "a lost device is no time-out";
  EXPECT_EQ(InspectComErrorReports(com), reports) << "no error flood";
  // The sensor is gone, so its log cannot show a stray request; what can go
  // wrong is a read that opens the port again behind the operator's back.
  EXPECT_EQ(GetInQLen(com), RS232_PORT_NOT_OPEN) << "the reads left the port closed";

  // What counts is what the line shows: Send's "Transmit..." stood over the
  // report, so the report is made again; and a Run after it ends at once saying so.
  SimulateClick(panelHandle, BTNSend);
  EXPECT_EQ(StatusLine(), LostText());
  ShowStatus("another text");
  SimulateClick(panelHandle, BTNRun);
  EXPECT_EQ(StatusLine(), LostText());

  PlugIn();
  ChooseThePortAgain();
}

TEST_F(DeviceLost, WhenTheDeviceIsBackTheIdleProgramBringsTheLinkUpOnce) {
  const ParamWords before = Variables();
  const ParamWords after = DistinctTestParams();
  // The return stays readable: the bring-up ends saying that the sensor is back.
  const std::string back = "Sensor back on COM1: " + std::string(sim::kDefaultFirmware);
  const std::vector<int> orders = LoseAndReturn(back, Unpaced(), after);
  EXPECT_EQ(TextsSinceMark(),
            (std::vector<std::string>{
                LostText(), BackText(), "Echo Check - Line Ok!", "Waiting for parameter-frame ...",
                "Parameter-frame received! - Line Ok!", "Waiting for firmware info ...",
                sim::kDefaultFirmware, sim::kDefaultFirmware, back}));
  EXPECT_EQ(orders, (std::vector<int>{5, 2, 7, 10}));
  std::vector<ParamWords> words;  // the variables as they stood, then the new sensor's RAM
  for (const sim::Request& request : sensor_->Requests()) words.push_back(request.words);
  EXPECT_EQ(words, (std::vector<ParamWords>{before, before, after, after}));
}

TEST_F(DeviceLost, ADifferentDeviceAtThePathIsNamedAndSentNothing) {
  MarkTexts();
  Pull();
  EXPECT_TRUE(IdleUntil([&] { return StatusLine() == LostText(); }, 2.0));
  PlugIn(Unpaced(), std::nullopt, "OTHER-2");
  EXPECT_TRUE(IdleUntil([&] { return StatusLine() == OtherText(); }, 3.0));
  IdleUntil([] { return false; }, 1.0);  // several looks of the watch: told once
  EXPECT_EQ(TextsSinceMark(), (std::vector<std::string>{LostText(), OtherText()}));
  EXPECT_TRUE(TakeOrders().empty()) << "a device nobody chose was sent something";
  EXPECT_EQ(PortLost(), 1);
}

TEST_F(DeviceLost, ASilentReturningDeviceGetsOneBringUp) {
  sim::Config silent = Unpaced();
  silent.faults.silent = true;
  EXPECT_EQ(
      LoseAndReturn("Sensor back on COM1: Error reading CCD-info - parameters unread", silent),
      (std::vector<int>{5, 10}));
}

TEST_F(DeviceLost, DuringRunTheLoopEndsAtOnceWithOneMessage) {
  // The Run is recorded: the loss text stands, the recording's count follows it.
  ASSERT_TRUE(InstallLineMonitor(nullptr));
  InstallRecorder();
  const std::string file = (dir_ / "run.csv").string();
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, file);
  for (QWidget* top : QApplication::topLevelWidgets())
    for (auto* b : top->findChildren<QAbstractButton*>())
      if (b->accessibleName() == "Record") b->click();
  double lostAt = 0;
  // Pull the plug after a few measurement cycles.
  WhenReady pull([&] { return sensor_->Requests().size() >= 8; },
                 [&] {
                   Pull();
                   lostAt = Timer();
                 });
  MarkTexts();
  SimulateClick(panelHandle, BTNRun);  // returns when the loop has ended
  const double endedAt = Timer();
  ASSERT_TRUE(pull.fired());
  EXPECT_LT(endedAt - lostAt, 1.0) << "ends before the time-out would";
  EXPECT_EQ(stop_flag, 1);
  const std::vector<std::string> texts = TextsSinceMark();
  EXPECT_EQ(Count(texts, LostText()), 1);
  EXPECT_EQ(texts.back(), LostText());
  EXPECT_EQ(Count(texts, "Timeout RS232-Line!"), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);
  EXPECT_TRUE(IdleUntil([&] { return StatusLine() != LostText(); }, 4.0));
  EXPECT_GT(Timer() - endedAt, 1.5) << "the loss was not readable";
  std::ifstream csv(file);
  const std::string rows((std::istreambuf_iterator<char>(csv)), {});
  const auto frames = std::count(rows.begin() + rows.find("time_ms"), rows.end(), '\n') - 1;
  EXPECT_EQ(StatusLine(), "Recorded " + std::to_string(frames) + " frames to " + file +
                              ", until the sensor was lost");
  EXPECT_EQ(Count(TextsSinceMark(), LostText()), 1);

  PlugIn();
  ChooseThePortAgain();
}

TEST_F(DeviceLost, DuringDataTheLoopEndsAtOnceWithOneMessage) {
  double lostAt = 0;
  // Pull the plug between video blocks of the first pass (the log holds the
  // bring-up's four requests too).
  WhenReady pull([&] { return sensor_->Requests().size() >= 7; },
                 [&] {
                   Pull();
                   lostAt = Timer();
                 });
  MarkTexts();
  SimulateClick(panelHandle, BTNData);
  const double endedAt = Timer();
  ASSERT_TRUE(pull.fired());
  EXPECT_LT(endedAt - lostAt, 1.0) << "no time-out per block";
  EXPECT_EQ(stop_flag, 1);
  const std::vector<std::string> texts = TextsSinceMark();
  EXPECT_EQ(Count(texts, LostText()), 1);
  EXPECT_EQ(texts.back(), LostText());
  EXPECT_EQ(Count(texts, "Timeout-RS-232 while reading 64 data-words!"), 0);
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);

  // The block reads had removed the notification; the one before hears of the return.
  PlugIn();
  EXPECT_TRUE(IdleUntil(
      [] { return StatusLine() == "Sensor back on COM1: " + std::string(sim::kDefaultFirmware); },
      3.0));
}

TEST_F(DeviceLost, DuringTheMeasurementWaitOfDataTheLossIsNoTimeout) {
  // Replies leave 0.3 s late, so the plug is pulled while the measurement
  // frame of the first pass is still awaited.
  sensor_->Update([](sim::Config& config) { config.faults.delay_ms = 300; });
  sensor_->ClearRequests();
  double lostAt = 0;
  std::vector<int> ordersAtLoss;
  WhenReady pull([&] { return sensor_->Requests().size() >= 5; },
                 [&] {
                   Pull();
                   lostAt = Timer();
                   ordersAtLoss = sensor_->Orders();
                 });
  MarkTexts();
  SimulateClick(panelHandle, BTNData);
  const double endedAt = Timer();
  ASSERT_TRUE(pull.fired());
  ASSERT_EQ(ordersAtLoss, (std::vector<int>{9, 9, 9, 9, 8})) << "lost while the frame was awaited";
  EXPECT_LT(endedAt - lostAt, 1.0) << "ends before the time-out would";
  EXPECT_EQ(stop_flag, 1);
  const std::vector<std::string> texts = TextsSinceMark();
  EXPECT_EQ(Count(texts, LostText()), 1);
  EXPECT_EQ(texts.back(), LostText());
  EXPECT_EQ(Count(texts, "Timeout RS232-Line!"), 0) << "a lost device is not a time-out";
  EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);

  PlugIn();
  ChooseThePortAgain();
}
