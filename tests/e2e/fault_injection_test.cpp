// Faults on the line, table-driven: every operation that talks to the sensor
// against each of the simulated sensor's fault switches. Each case starts from
// a clean bring-up, switches the fault on, runs the operation and checks that
// it ended within its wait limit (plus a small margin), which orders reached
// the sensor and which texts the status line showed, in order; then the fault
// is switched off and the same operation must succeed again. A loop the fault
// does not end is ended by the operator's Stop; a hung-up line ends the loop on
// its own, and the sensor is plugged in again and the port chosen again before
// the loop is run once more.
//
// Cases in which the sensor answers nothing run their operation on a program
// clock that steps on by 0.05 s at every look, so that a 1.5 s time-out costs
// 31 looks of test time and its outcome does not depend on the machine's load;
// everything else runs on the real clock, since a stepping one would turn the
// sensor's ordinary latency into as many steps as the program looks meanwhile.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/data_loop.h"
#include "app/loop_control.h"
#include "app/parameter_callbacks.h"
#include "app/run_loop.h"
#include "app/teach.h"
#include "app/vantrel.h"
#include "link/frame.h"
#include "link/reply_wait.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/testing/inspect.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/wait.h"

namespace {

using Texts = std::vector<std::string>;
using Orders = std::vector<int>;

const std::string kFirmware = sim::kDefaultFirmware;
const std::string kTeachWaiting = "Waiting for the teach answer ...";
// RAM set of the sensor: background mode 2, so the background teach is offered.
const ParamWords kRam = DistinctTestParams();

enum class Op {
  BringUp,
  Firmware,
  GetRam,
  GetEeprom,
  Send,
  TeachSetPoint,
  TeachBackground,
  Run,
  Data
};

const char* OpName(Op op) {
  switch (op) {
    case Op::BringUp:
      return "BringUp";
    case Op::Firmware:
      return "Firmware";
    case Op::GetRam:
      return "GetRam";
    case Op::GetEeprom:
      return "GetEeprom";
    case Op::Send:
      return "Send";
    case Op::TeachSetPoint:
      return "TeachSetPoint";
    case Op::TeachBackground:
      return "TeachBackground";
    case Op::Run:
      return "Run";
    case Op::Data:
      return "Data";
  }
  return "?";
}

// What each operation shows when the sensor behaves, and the orders it sends.
Texts GoodTexts(Op op) {
  const std::string waiting = "Waiting for parameter-frame ...";
  const std::string received = "Parameter-frame received! - Line Ok!";
  switch (op) {
    case Op::BringUp:
      return {"Echo Check - Line Ok!",         waiting,   received,
              "Waiting for firmware info ...", kFirmware, kFirmware};
    case Op::Firmware:
      return {"Waiting for firmware info ...", kFirmware};
    case Op::GetRam:
    case Op::GetEeprom:
      return {waiting, received};
    case Op::Send:
      return {"Transmit...", "Line Ok!"};
    case Op::TeachSetPoint:
      return {kTeachWaiting, "New setpoint value teached!", waiting, received};
    case Op::TeachBackground:
      return {"Line Ok!", "Teach order echo received! - Line Ok!", waiting, received};
    case Op::Run:
      return {"Line Ok!"};
    case Op::Data:
      // Said once; "received" then stands while the blocks come in.
      return {"Waiting for Data[64] ...", "Data[64] block received!"};
  }
  return {};
}

Orders GoodOrders(Op op) {
  switch (op) {
    case Op::BringUp:
      return {5, 2, 7, 10};
    case Op::Firmware:
      return {7};
    case Op::GetRam:
      return {2};
    case Op::GetEeprom:
      return {4};
    case Op::Send:
      return {1};
    case Op::TeachSetPoint:
    case Op::TeachBackground:
      return {6, 2};
    case Op::Run:
      return {8, 8, 8};
    case Op::Data:
      return {9, 9, 9, 9, 8};
  }
  return {};
}

struct FaultCase {
  const char* fault;
  std::function<void(sim::Faults&)> set;
  Op op;
  Orders orders;   // what the sensor received
  Texts texts;     // what the status line showed, in order
  double seconds;  // the time it must take at least (time-outs sat out), program clock
  bool nothingAnswered = false;  // the program clock may step on at every look
};

// Requests the sensor must have received before Stop is pressed in a loop that
// does not end by itself. A Data pass, once begun, is completed: Stop pressed
// at its first request ends the loop after exactly one pass.
size_t StopAfter(Op op) {
  if (op == Op::Run) return 3;
  if (op == Op::Data) return 1;
  return 0;
}

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << OpName(c.op) << "/" << c.fault;
}

constexpr double kStepPerLook = 0.05;  // seconds

const std::string kTimeout = "Timeout-RS-232...";
const std::string kWaiting = "Waiting for parameter-frame ...";
const std::string kReceived = "Parameter-frame received! - Line Ok!";
// A bring-up that read no set says so: the panels hold no values of this sensor.
const std::string kCcdErrorUnread = "Error reading CCD-info - parameters unread";
const std::string kFirmwareError = "Error reading firmware-info!";

auto Silent = [](sim::Faults& f) { f.silent = true; };
auto WrongSync = [](sim::Faults& f) { f.wrong_sync = true; };
auto WrongEcho = [](sim::Faults& f) { f.wrong_echo = true; };
auto DropAll = [](sim::Faults& f) { f.drop_every = 1; };
auto DropSecond = [](sim::Faults& f) { f.drop_every = 2; };
auto Delay1400 = [](sim::Faults& f) { f.delay_ms = 1400; };
auto Delay1600 = [](sim::Faults& f) { f.delay_ms = 1600; };
auto Dribble = [](sim::Faults& f) {
  f.dribble = true;
  f.dribble_gap_us = 300;
};
auto Trailing = [](sim::Faults& f) { f.trailing = 4; };
auto Garbage = [](sim::Faults& f) { f.garbage_every = 1; };
auto HangUpAfter3 = [](sim::Faults& f) { f.hangup_after = 3; };
auto HangUpAfter2 = [](sim::Faults& f) { f.hangup_after = 2; };

// Stands for "Sensor lost on COM1 (<device>): device removed" in the table:
// the device is the sensor's pty, known only once it runs.
const std::string kLost = "<lost>";
const std::string kLineTimeout = "Timeout RS232-Line!";
const std::string kBlockWaiting = "Waiting for Data[64] ...";
const std::string kBlockReceived = "Data[64] block received!";
const std::string kBlockTimeout = "Timeout-RS-232 while reading 64 data-words!";
const std::string kBlockRejected = "Data[64] block rejected: not 64 video levels";

const FaultCase kCases[] = {
    // Bring-up, as the port selector runs it again.
    {"silence", Silent, Op::BringUp, {5, 10}, {kTimeout, kCcdErrorUnread}, 3.0, true},
    // A reply is taken only with the reply sync and the echo of its request;
    // the line check judges the sync itself.
    {"wrong sync",
     WrongSync,
     Op::BringUp,
     {5, 10},
     {"read error - not sync byte 0xAA!", kCcdErrorUnread},
     1.5},
    {"wrong echo", WrongEcho, Op::BringUp, {5, 10}, {kTimeout, kCcdErrorUnread}, 3.0},
    {"every second reply dropped",
     DropSecond,
     Op::BringUp,
     {5, 2, 7, 10},
     {"Echo Check - Line Ok!", kWaiting, kTimeout, "Waiting for firmware info ...", kFirmware,
      kCcdErrorUnread},
     3.0},
    {"dribbled bytes", Dribble, Op::BringUp, {5, 2, 7, 10}, GoodTexts(Op::BringUp), 0.0},
    // Unpaced, a raw reply and its trailing bytes arrive together: 76 bytes are
    // more than the reply alone, so they are no firmware text.
    {"trailing bytes",
     Trailing,
     Op::BringUp,
     {5, 2, 7, 10},
     {"Echo Check - Line Ok!", kWaiting, kReceived, "Waiting for firmware info ...", kFirmwareError,
      kFirmwareError},
     0.0},
    // The burst shifts the reply: the 36 bytes taken in are no answer.
    {"garbage bursts", Garbage, Op::BringUp, {5, 10}, {kTimeout, kCcdErrorUnread}, 3.0},

    // The firmware query on its own: raw replies have no header to get wrong.
    {"silence",
     Silent,
     Op::Firmware,
     {7},
     {"Waiting for firmware info ...", "Timeout - reading firmware info!"},
     2.0,
     true},
    {"wrong sync", WrongSync, Op::Firmware, {7}, GoodTexts(Op::Firmware), 0.0},
    {"reply dropped",
     DropAll,
     Op::Firmware,
     {7},
     {"Waiting for firmware info ...", "Timeout - reading firmware info!"},
     2.0,
     true},
    {"delayed 1.6 s", Delay1600, Op::Firmware, {7}, GoodTexts(Op::Firmware), 1.6},
    {"dribbled bytes", Dribble, Op::Firmware, {7}, GoodTexts(Op::Firmware), 0.0},

    // Reading the parameter set: a frame that is no answer leaves the wait to
    // its limit; garbage never reaches the variables.
    {"silence", Silent, Op::GetRam, {2}, {kWaiting, kTimeout}, 1.5, true},
    {"wrong sync", WrongSync, Op::GetRam, {2}, {kWaiting, kTimeout}, 1.5},
    {"wrong echo", WrongEcho, Op::GetRam, {2}, {kWaiting, kTimeout}, 1.5},
    {"reply dropped", DropAll, Op::GetRam, {2}, {kWaiting, kTimeout}, 1.5, true},
    {"delayed 1.4 s", Delay1400, Op::GetRam, {2}, {kWaiting, kReceived}, 1.4},
    {"delayed 1.6 s", Delay1600, Op::GetRam, {2}, {kWaiting, kTimeout}, 1.5},
    {"dribbled bytes", Dribble, Op::GetRam, {2}, {kWaiting, kReceived}, 0.0},
    {"trailing bytes", Trailing, Op::GetRam, {2}, {kWaiting, kReceived}, 0.0},
    {"garbage bursts", Garbage, Op::GetRam, {2}, {kWaiting, kTimeout}, 1.5},
    {"silence", Silent, Op::GetEeprom, {4}, {kWaiting, kTimeout}, 1.5, true},
    {"delayed 1.6 s", Delay1600, Op::GetEeprom, {4}, {kWaiting, kTimeout}, 1.5},

    // Writing awaits no reply: a silent sensor is not noticed.
    {"silence", Silent, Op::Send, {1}, {"Transmit...", "Line Ok!"}, 0.0, true},

    // An unanswered teach ends in a time-out (the set-point teach at its limit);
    // its success is said only on the answer.
    {"silence", Silent, Op::TeachSetPoint, {6}, {kTeachWaiting, kTimeout}, 1.5, true},
    {"delayed 1.6 s", Delay1600, Op::TeachSetPoint, {6}, {kTeachWaiting, kTimeout}, 1.5},
    {"every second reply dropped",
     DropSecond,
     Op::TeachSetPoint,
     {6, 2},
     {kTeachWaiting, "New setpoint value teached!", kWaiting, kTimeout},
     1.5},
    {"dribbled bytes", Dribble, Op::TeachSetPoint, {6, 2}, GoodTexts(Op::TeachSetPoint), 0.0},
    {"silence", Silent, Op::TeachBackground, {6}, {"Line Ok!", kTimeout}, 1.5, true},
    {"wrong sync", WrongSync, Op::TeachBackground, {6}, {"Line Ok!", kTimeout}, 1.5},
    {"delayed 1.6 s", Delay1600, Op::TeachBackground, {6}, {"Line Ok!", kTimeout}, 1.5},

    // The Run loop goes on until Stop while measurements come; a frame that is
    // no measurement is not drawn, and no answer for more than 1.5 s ends it.
    {"silence", Silent, Op::Run, {8}, {"Line Ok!", kLineTimeout}, 1.5, true},
    {"wrong sync", WrongSync, Op::Run, {8}, {"Line Ok!", kLineTimeout}, 1.5},
    {"wrong echo", WrongEcho, Op::Run, {8}, {"Line Ok!", kLineTimeout}, 1.5},
    {"every second reply dropped", DropSecond, Op::Run, {8, 8}, {"Line Ok!", kLineTimeout}, 1.5},
    {"delayed 1.4 s", Delay1400, Op::Run, {8, 8, 8}, {"Line Ok!"}, 2.8},
    {"delayed 1.6 s", Delay1600, Op::Run, {8}, {"Line Ok!", kLineTimeout}, 1.5},
    {"dribbled bytes", Dribble, Op::Run, {8, 8, 8}, {"Line Ok!"}, 0.0},
    {"trailing bytes", Trailing, Op::Run, {8, 8, 8}, {"Line Ok!"}, 0.0},
    {"garbage bursts", Garbage, Op::Run, {8}, {"Line Ok!", kLineTimeout}, 1.5},
    {"hang-up in the loop", HangUpAfter3, Op::Run, {8, 8, 8}, {"Line Ok!", kLost}, 0.0},

    // The Data loop: four video blocks (raw replies) and one measurement frame
    // a pass. A block without its reply, or with one that is no video, is
    // reported and keeps its words, and the pass goes on; a missing
    // measurement frame ends the loop after the pass without drawing the scope.
    {"silence",
     Silent,
     Op::Data,
     {9, 9, 9, 9, 8},
     {kBlockWaiting, kBlockTimeout, kBlockWaiting, kBlockTimeout, kBlockWaiting, kBlockTimeout,
      kBlockWaiting, kBlockTimeout, kLineTimeout},
     7.5,
     true},
    {"wrong sync",
     WrongSync,
     Op::Data,
     {9, 9, 9, 9, 8},
     {kBlockWaiting, kBlockReceived, kLineTimeout},
     1.5},
    {"wrong echo",
     WrongEcho,
     Op::Data,
     {9, 9, 9, 9, 8},
     {kBlockWaiting, kBlockReceived, kLineTimeout},
     1.5},
    {"every second reply dropped",
     DropSecond,
     Op::Data,
     {9, 9, 9, 9, 8},
     {kBlockWaiting, kBlockReceived, kBlockTimeout, kBlockWaiting, kBlockReceived, kBlockTimeout},
     3.0},
    {"delayed 1.4 s", Delay1400, Op::Data, {9, 9, 9, 9, 8}, GoodTexts(Op::Data), 7.0},
    {"dribbled bytes", Dribble, Op::Data, {9, 9, 9, 9, 8}, GoodTexts(Op::Data), 0.0},
    // Unpaced, more than 128 bytes wait at once: all are read, and the status
    // keeps its previous text (the firmware text of the bring-up).
    {"trailing bytes",
     Trailing,
     Op::Data,
     {9, 9, 9, 9, 8},
     {kBlockWaiting, kFirmware, kBlockWaiting, kFirmware, kBlockWaiting, kFirmware, kBlockWaiting,
      kFirmware},
     0.0},
    // The burst shifts each block's words beyond the video levels.
    {"garbage bursts",
     Garbage,
     Op::Data,
     {9, 9, 9, 9, 8},
     {kBlockWaiting, kBlockRejected, kBlockWaiting, kBlockRejected, kBlockWaiting, kBlockRejected,
      kBlockWaiting, kBlockRejected, kLineTimeout},
     1.5},
    {"hang-up in the loop",
     HangUpAfter2,
     Op::Data,
     {9, 9},
     {kBlockWaiting, kBlockReceived, kLost},
     0.0},
};

void RunOperation(Op op) {
  switch (op) {
    case Op::BringUp:
      InitRS232(com);
      break;
    case Op::Firmware:
      GetVERSIONInfo();
      break;
    case Op::GetRam:
    case Op::GetEeprom:
      SimulateClick(panelHandle, BTNGet);
      break;
    case Op::Send:
      SimulateClick(panelHandle, BTNSend);
      break;
    case Op::TeachSetPoint:
      SimulateClick(panelHandle, BTNTeach);
      break;
    case Op::TeachBackground:
      SimulateClick(panelPopUp, BTNTeachBackGround);
      break;
    case Op::Run:
      SimulateClick(panelHandle, BTNRun);  // returns when the loop has ended
      break;
    case Op::Data:
      SimulateClick(panelHandle, BTNData);
      break;
  }
}

std::string LostText() {
  return std::string("Sensor lost on COM1 (") + ComPortDevice(1) + "): device removed";
}

bool IsLoop(Op op) {
  return op == Op::Run || op == Op::Data;
}

// A loop the fault does not end by itself is ended by the operator's Stop.
bool LoopNeedsStop(const FaultCase& c) {
  if (!IsLoop(c.op)) return false;
  const std::string& last = c.texts.back();
  return last != kLineTimeout && last != kLost;
}

bool HangsUp(const FaultCase& c) {
  sim::Faults f;
  c.set(f);
  return f.hangup_after > 0;
}

// Stop is seen by the Run loop within one pass, and a hung-up line is noticed
// when the next write fails or while its reply is awaited: in either case one
// more request of the loop may have left.
bool OrdersMatch(bool mayOvershoot, const Orders& got, Orders want) {
  if (got == want) return true;
  if (!mayOvershoot || want.empty()) return false;
  want.push_back(want.back());
  return got == want;
}

Texts WithLostText(Texts texts) {
  for (std::string& t : texts)
    if (t == kLost) t = LostText();
  return texts;
}

class FaultInjection : public OperatedProgram, public ::testing::WithParamInterface<FaultCase> {
 protected:
  void SetUp() override {
    const FaultCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartSensor(Unpaced(), kRam));
    ASSERT_NO_FATAL_FAILURE(StartOn(sensor_->SlavePath()));
    ASSERT_EQ(sensor_->Orders(), (Orders{5, 2, 7, 10})) << "clean bring-up";
    if (c.op == Op::GetEeprom) SimulateToggle(panelHandle, RBTEeprom);
    if (c.op == Op::TeachBackground) SimulateClick(panelHandle, BTNSettings);
    ASSERT_EQ(TakeOrders(), (Orders{5, 2, 7, 10})) << "nothing sent while preparing";
  }
  // The line was hung up: a sensor is plugged in again and the operator
  // chooses the port again in the selector.
  void PlugInAgain() {
    ASSERT_NO_FATAL_FAILURE(StartSensor(Unpaced(), kRam));
    setenv("VANTREL_COM1", sensor_->SlavePath().c_str(), 1);
    CC_DropDCom(panelHandle, DropDCom, UI_EVENT_COMMIT, nullptr, 0, 0);
    ASSERT_EQ(sensor_->Orders(), (Orders{5, 2, 7, 10})) << "link up again";
  }
  // A program clock that moves on by a fixed step at every look: a wait that
  // gets no answer sits out its limit in a fixed number of looks, however
  // slowly the machine runs, and the times measured are the program's own.
  // Each request is followed by a new `tstart`; the clock stands still until
  // the sensor has seen that request, since the next sender's flush would
  // discard a request the sensor has not read yet (a real line takes its time
  // too: 36 bytes at 19200 baud are 19 ms).
  void StepClockAtEveryLook() {
    SetTestTimer(0.0);
    double lastStart = tstart;
    size_t written = 0;
    auto heldSince = std::chrono::steady_clock::now();
    OnTestTimerRead([this, lastStart, written, heldSince](double reported) mutable {
      if (tstart != lastStart) {
        lastStart = tstart;
        ++written;
        heldSince = std::chrono::steady_clock::now();
      }
      const bool seen = sensor_->Requests().size() >= written;
      if (!seen && std::chrono::steady_clock::now() - heldSince < std::chrono::seconds(2)) return;
      SetTestTimer(reported + kStepPerLook);
    });
  }
  // Runs the operation; returns the orders the sensor received and the texts
  // shown meanwhile, and the program-clock time it took.
  void Run(Op op, bool stopLoop, Orders* orders, Texts* texts, double* seconds) {
    sensor_->ClearRequests();
    std::unique_ptr<WhenReady> stop;
    if (stopLoop) {
      const size_t count = StopAfter(op);
      stop =
          std::make_unique<WhenReady>([this, count] { return sensor_->Requests().size() >= count; },
                                      [] { SimulateClick(panelHandle, BTNStop); });
    }
    MarkTexts();
    const double start = Timer();
    RunOperation(op);
    *seconds = Timer() - start;
    // A sensor that hung up (the program saw it go) hears nothing more.
    *orders = sensor_->HungUp() ? sensor_->Orders() : TakeOrders();
    *texts = TextsSinceMark();
  }
};

TEST_P(FaultInjection, EndsInTimeReportsAndRecovers) {
  const FaultCase& c = GetParam();
  sensor_->Update([&](sim::Config& config) { c.set(config.faults); });

  Orders orders;
  Texts texts;
  double seconds = 0;
  if (c.nothingAnswered) StepClockAtEveryLook();
  const bool stopped = LoopNeedsStop(c);
  Run(c.op, stopped, &orders, &texts, &seconds);
  ReleaseTestTimer();
  const bool overshoot = (c.op == Op::Run && stopped) || HangsUp(c);
  EXPECT_TRUE(OrdersMatch(overshoot, orders, c.orders)) << ::testing::PrintToString(orders);
  EXPECT_EQ(texts, WithLostText(c.texts));
  // Every wait sits out its limit and ends soon after; the margin is for the
  // polls and the replies (bytes dribbled one at a time take their while).
  EXPECT_GE(seconds, c.seconds);
  EXPECT_LT(seconds, c.seconds + (std::string(c.fault) == "dribbled bytes" ? 1.5 : 1.0));
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1);
  if (c.op == Op::TeachBackground) {
    EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0) << "offered again";
    EXPECT_EQ(U16(panelPopUp, LED_TeachBackGround), 0);
  }
  // Nothing garbled went back to the sensor (a teach changes its set itself).
  if (c.op != Op::TeachSetPoint && c.op != Op::TeachBackground) {
    std::array<uint16_t, 16> want = kRam;
    // A Run sends the variables, whose evaluation window the CCD information
    // of the bring-up set to the whole line.
    if (c.op == Op::Run) {
      want[6] = 1;
      want[7] = 1024;
    }
    EXPECT_EQ(sensor_->Ram(), want) << "the sensor's working parameters";
    EXPECT_EQ(U16(panelHandle, NUM_Power), kRam[0]);
    EXPECT_EQ(U16(panelPopUp, NEDITTolerance), kRam[9]);
  }
  if (IsLoop(c.op)) {
    EXPECT_EQ(stop_flag, 1) << "the loop has ended";
    EXPECT_EQ(Dimmed(panelHandle, BTNRun), 0);
    EXPECT_EQ(Dimmed(panelHandle, BTNData), 0);
    EXPECT_EQ(Dimmed(panelHandle, BTNGet), 0);
  }

  // The sensor behaves again: so does the operation. A reply that came too
  // late has been taken in meanwhile or is flushed by the next request.
  if (HangsUp(c)) {
    ASSERT_NO_FATAL_FAILURE(PlugInAgain());
  } else {
    sensor_->Update([](sim::Config& config) { config.faults = sim::Faults{}; });
  }
  // Stray bytes still on their way (dribbled, late) are in before the next
  // request's flush: the sensor has heard everything and written every reply.
  TakeOrders();
  ASSERT_TRUE(WaitUntil([this] { return !sensor_->Sending(); }, 3.0));
  // A Data loop's "received" may still stand from the faulty run.
  const bool blocksReceivedShown = StatusLine() == kBlockReceived;
  Run(c.op, IsLoop(c.op), &orders, &texts, &seconds);
  EXPECT_TRUE(OrdersMatch(c.op == Op::Run, orders, GoodOrders(c.op)))
      << "after the fault: " << ::testing::PrintToString(orders);
  EXPECT_EQ(texts, c.op == Op::Data && blocksReceivedShown ? Texts{} : GoodTexts(c.op))
      << "after the fault";
}

INSTANTIATE_TEST_SUITE_P(Table, FaultInjection, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           std::string name = std::string(OpName(info.param.op)) + "_";
                           for (const char* p = info.param.fault; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

}  // namespace
