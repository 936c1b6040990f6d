// The receive notification: when it runs, with which events, and what the
// function may do inside it.
#include <algorithm>
#include <functional>
#include <vector>

#include "runtime/serial/serial_os.h"
#include "runtime/userint.h"
#include "tests/engine/serial_test_port.h"
#include "tests/support/wait.h"

namespace {

constexpr int kAllEvents = COM_EVENT_RECEIVE | COM_EVENT_CHAR | COM_EVENT_TX_EMPTY;
constexpr int kSync = 0x55;

// What the notification function saw; the function's behaviour is chosen per test.
struct Calls {
  std::vector<int> events;
  int insideEngineCall = 0;  // calls made while the test was inside GetInQLen/ComRd
  int depth = 0, maxDepth = 0;
  std::vector<int> readCounts;
  std::vector<uint8_t> read;
  int queueAfter = -1;
  std::function<void(int port, int events)> body;
};

bool g_inEngineCall = false;

void Record(int port, int events, void* data) {
  auto* calls = static_cast<Calls*>(data);
  calls->events.push_back(events);
  if (g_inEngineCall) ++calls->insideEngineCall;
  ++calls->depth;
  calls->maxDepth = std::max(calls->maxDepth, calls->depth);
  if (calls->body) calls->body(port, events);
  --calls->depth;
}

// Reads one 36-byte frame and discards the rest, as the sensor link does.
void TakeFrame(Calls* calls, int port) {
  char buffer[64] = {};
  const int n = ComRd(port, buffer, 36);
  calls->readCounts.push_back(n);
  calls->read.assign(buffer, buffer + std::max(n, 0));
  FlushInQ(port);
  calls->queueAfter = GetInQLen(port);
}

class SerialNotification : public SerialPortTest {
 protected:
  void Install(int mask) {
    ASSERT_EQ(0, InstallComCallback(kPort, mask, 36, kSync, Record, &calls));
  }
  // GetInQLen polled without event processing, flagged so that a call from
  // inside it would be counted.
  int QueueLengthWithoutEvents(int count) {
    g_inEngineCall = true;
    const int n = WaitInQLen(kPort, count);
    g_inEngineCall = false;
    return n;
  }
  Calls calls;
};

}  // namespace

TEST_F(SerialNotification, RunsOnlyInEventProcessingOnceTheQueueHoldsTheNotifyCount) {
  Install(kAllEvents);
  ASSERT_TRUE(pty->Write(Counting(20)));
  EXPECT_EQ(20, QueueLengthWithoutEvents(20));
  ProcessEventsFor(0.05);  // a short look: nothing may be called
  EXPECT_TRUE(calls.events.empty()) << "20 bytes are below the notify count";

  ASSERT_TRUE(pty->Write(Counting(17, 21)));
  EXPECT_EQ(37, QueueLengthWithoutEvents(37));
  char buffer[8] = {};
  g_inEngineCall = true;
  EXPECT_EQ(1, ComRd(kPort, buffer, 1));  // reads drive the port too; 36 stay queued
  g_inEngineCall = false;
  EXPECT_TRUE(calls.events.empty()) << "never called from inside GetInQLen or ComRd";

  ASSERT_TRUE(WaitUntil([&] { return !calls.events.empty(); }, 2.0));
  ProcessEventsFor(0.05);  // a short look: no second call may follow
  ASSERT_EQ(1u, calls.events.size());
  EXPECT_EQ(COM_EVENT_RECEIVE, calls.events[0]);
  EXPECT_EQ(0, calls.insideEngineCall);
}

// A frame coming in a few bytes at a time, as a paced line brings it: the
// bytes waiting in the OS are counted all along, and the function is called
// once, with the whole frame, whether or not the event character is asked for.
TEST_F(SerialNotification, AFrameArrivingPieceByPieceGivesOneCallWithTheWholeFrame) {
  for (int mask : {COM_EVENT_RECEIVE, kAllEvents}) {
    calls = Calls{};
    calls.body = [&](int port, int events) {
      if (events & COM_EVENT_RECEIVE) TakeFrame(&calls, port);
    };
    Install(mask);
    const std::vector<uint8_t> frame = Counting(36, 1);
    for (int start = 0; start < 36; start += 9) {
      ASSERT_TRUE(
          pty->Write(std::vector<uint8_t>(frame.begin() + start, frame.begin() + start + 9)));
      if (start + 9 < 36) {
        EXPECT_EQ(start + 9, QueueLengthWithoutEvents(start + 9)) << mask;
        ProcessEventsFor(0.02);  // a short look: nothing may be called yet
        EXPECT_TRUE(calls.readCounts.empty()) << mask << ": called at " << start + 9 << " bytes";
      }
    }
    ASSERT_TRUE(WaitUntil([&] { return !calls.readCounts.empty(); }, 2.0)) << mask;
    ProcessEventsFor(0.05);  // a short look: no second call may follow
    EXPECT_EQ((std::vector<int>{36}), calls.readCounts) << mask;
    EXPECT_EQ(frame, calls.read) << mask;
    EXPECT_EQ(0, calls.queueAfter) << mask;
  }
}

TEST_F(SerialNotification, FortyBytesGiveOneCallThatTakesAFrameAndDropsTheRest) {
  Install(kAllEvents);
  calls.body = [&](int port, int events) {
    if (events & COM_EVENT_RECEIVE) TakeFrame(&calls, port);
  };
  std::vector<uint8_t> bytes = Counting(40);
  bytes[0] = 0x00;
  bytes[1] = kSync;
  ASSERT_TRUE(pty->Write(bytes));

  ASSERT_TRUE(WaitUntil([&] { return !calls.events.empty(); }, 2.0));
  ProcessEventsFor(0.05);  // a short look: no second call may follow
  ASSERT_EQ(1u, calls.events.size());
  EXPECT_EQ(COM_EVENT_RECEIVE | COM_EVENT_CHAR, calls.events[0]);
  EXPECT_EQ(std::vector<int>{36}, calls.readCounts);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 36), calls.read);
  EXPECT_EQ(0, calls.queueAfter);
  EXPECT_EQ(0, GetInQLen(kPort));
}

TEST_F(SerialNotification, EventCharacterAloneAndTransmitEmptyAreReportedOnlyWhenAsked) {
  Install(COM_EVENT_RECEIVE);
  ASSERT_TRUE(pty->Write(std::vector<uint8_t>{0x01, kSync, 0x02}));
  ASSERT_EQ(3, QueueLengthWithoutEvents(3));
  EXPECT_EQ(3, ComWrt(kPort, "abc", 3));
  ProcessEventsFor(0.05);  // a short look: nothing may be called
  EXPECT_TRUE(calls.events.empty()) << "neither event is in the mask";

  Install(kAllEvents);  // the three bytes already queued are not news
  ASSERT_TRUE(pty->Write(std::vector<uint8_t>{0x03, kSync}));
  ASSERT_TRUE(WaitUntil([&] { return !calls.events.empty(); }, 2.0));
  ProcessEventsFor(0.05);  // a short look: no second call may follow
  ASSERT_EQ(1u, calls.events.size());
  EXPECT_EQ(COM_EVENT_CHAR, calls.events[0]);
  EXPECT_EQ(5, GetInQLen(kPort)) << "the notification takes nothing itself";

  calls.events.clear();
  EXPECT_EQ(3, ComWrt(kPort, "abc", 3));
  ASSERT_TRUE(WaitUntil([&] { return !calls.events.empty(); }, 2.0));
  EXPECT_EQ(COM_EVENT_TX_EMPTY, calls.events[0]);
}

TEST_F(SerialNotification, FunctionMayProcessEventsAndIsNotEnteredTwice) {
  Install(kAllEvents);
  calls.body = [&](int port, int events) {
    if (!(events & COM_EVENT_RECEIVE)) return;
    if (calls.events.size() == 1) {
      // A second frame arrives while the first is being handled, and the
      // function waits with event processing, as the program's waits do.
      TakeFrame(&calls, port);
      pty->Write(Counting(36, 100));
      WaitInQLen(port, 36);
      // The frame is queued; a short spell of event processing in which the
      // function must not be entered again.
      ProcessEventsFor(0.05);
    } else {
      TakeFrame(&calls, port);
    }
  };
  ASSERT_TRUE(pty->Write(Counting(36)));
  ASSERT_TRUE(WaitUntil([&] { return calls.readCounts.size() >= 2; }, 3.0));
  EXPECT_EQ(1, calls.maxDepth);
  EXPECT_EQ((std::vector<int>{36, 36}), calls.readCounts);
  EXPECT_EQ(Counting(36, 100), calls.read);
}

TEST_F(SerialNotification, FunctionMayRemoveAndReinstallTheNotification) {
  Install(COM_EVENT_RECEIVE);
  calls.body = [&](int port, int) {
    char buffer[36];
    ComRd(port, buffer, 36);
    ASSERT_EQ(0, InstallComCallback(port, 0, 0, 0, nullptr, nullptr));
    pty->Write(Counting(36, 50));
    WaitInQLen(port, 36);
    ProcessEventsFor(0.05);  // a short look: removed, it may not be called
  };
  ASSERT_TRUE(pty->Write(Counting(36)));
  ASSERT_TRUE(WaitUntil([&] { return !calls.events.empty(); }, 2.0));
  ProcessEventsFor(0.05);  // a short look: no second call may follow
  EXPECT_EQ(1u, calls.events.size()) << "removed: the second frame stays queued";
  EXPECT_EQ(36, GetInQLen(kPort));

  calls.body = [&](int port, int) {
    ASSERT_EQ(0, InstallComCallback(port, COM_EVENT_RECEIVE, 36, kSync, Record, &calls));
    TakeFrame(&calls, port);
  };
  Install(COM_EVENT_RECEIVE);
  ASSERT_TRUE(pty->Write(Counting(36, 150)));
  ASSERT_TRUE(WaitUntil([&] { return calls.events.size() >= 2; }, 2.0));
  ProcessEventsFor(0.05);  // a short look: no third call may follow
  EXPECT_EQ(2u, calls.events.size());
  EXPECT_EQ(Counting(36, 50), calls.read) << "the queued frame is read first";
  EXPECT_EQ(0, GetInQLen(kPort));
}

// While a frame comes in, the assisted path rests the port's notifier, so the
// next bytes wait in the OS queue (GetInQLen still counts them); the portable
// path, chosen or fallen back to, takes each chunk in as it comes. The
// function is called once, with the whole frame, on every path.
using SerialFrameHold = SerialNotification;

TEST_F(SerialFrameHold, OnlyTheAssistedPathLeavesTheRestOfAFrameInTheOs) {
  struct Row {
    ComPathForTests path;
    bool held;
    const char* report;  // why stderr says frames are not held; "" when it does not
  };
  const bool assisted = SerialOsCountsInput();
  const char* secondNotifier = assisted ? "frames not held: 2 read notifiers on the port" : "";
  for (const Row& row :
       {Row{ComPathForTests::Default, assisted, ""}, Row{ComPathForTests::Portable, false, ""},
        Row{ComPathForTests::UnexpectedNotifier, false, secondNotifier}}) {
    const int rowId = static_cast<int>(row.path);
    calls = Calls{};
    calls.body = [&](int port, int events) {
      if (events & COM_EVENT_RECEIVE) TakeFrame(&calls, port);
    };
    ChooseComPathForTests(row.path);
    testing::internal::CaptureStderr();
    // At 1200 baud the rest of a frame is a quarter of a second on the line:
    // the hold outlasts the short look below by far.
    ASSERT_EQ(0, OpenComConfig(kPort, "", 1200, 0, 8, 1, 4096, 4096));
    const std::string err = testing::internal::GetCapturedStderr();
    if (*row.report == '\0') {
      EXPECT_EQ(err.find("frames not held"), std::string::npos) << rowId << err;
    } else {
      EXPECT_NE(err.find(row.report), std::string::npos) << rowId << err;
    }
    Install(COM_EVENT_RECEIVE);

    const std::vector<uint8_t> frame = Counting(36);
    ASSERT_TRUE(pty->Write(std::vector<uint8_t>(frame.begin(), frame.begin() + 9)));
    // Taken in by the event loop: the hold starts here.
    ASSERT_TRUE(
        WaitUntil([&] { return GetInQLen(kPort) == 9 && pty->SlaveInputQueued() == 0; }, 2.0))
        << rowId;
    ASSERT_TRUE(pty->Write(std::vector<uint8_t>(frame.begin() + 9, frame.begin() + 18)));
    const double start = Timer();  // in the OS queue before any event is processed
    while (pty->SlaveInputQueued() < 9 && Timer() - start < 2.0) {
    }
    ProcessEventsFor(0.05);  // a short look: held bytes must stay there
    EXPECT_EQ(row.held ? 9 : 0, pty->SlaveInputQueued()) << rowId;
    EXPECT_EQ(18, GetInQLen(kPort)) << rowId;
    ASSERT_TRUE(pty->Write(std::vector<uint8_t>(frame.begin() + 18, frame.end())));
    ASSERT_TRUE(WaitUntil([&] { return !calls.readCounts.empty(); }, 2.0)) << rowId;
    EXPECT_EQ((std::vector<int>{36}), calls.readCounts) << rowId;
    EXPECT_EQ(frame, calls.read) << rowId;
  }
}

// A request written while the notification waits for a frame: its reply's
// first bytes stay in the OS as well, so a paced reply wakes the program once.
TEST_F(SerialFrameHold, AReplyToAWriteStaysInTheOsUntilItCanBeWhole) {
  calls.body = [&](int port, int events) {
    if (events & COM_EVENT_RECEIVE) TakeFrame(&calls, port);
  };
  // At 1200 baud a request and its reply take most of a second on the line.
  ASSERT_EQ(0, OpenComConfig(kPort, "", 1200, 0, 8, 1, 4096, 4096));
  Install(COM_EVENT_RECEIVE);
  ASSERT_EQ(36, ComWrt(kPort, reinterpret_cast<const char*>(Counting(36).data()), 36));
  const std::vector<uint8_t> frame = Counting(36, 60);
  ASSERT_TRUE(pty->Write(std::vector<uint8_t>(frame.begin(), frame.begin() + 9)));
  const double start = Timer();
  while (pty->SlaveInputQueued() < 9 && Timer() - start < 2.0) {
  }
  ProcessEventsFor(0.05);  // a short look: held bytes must stay there
  EXPECT_EQ(SerialOsCountsInput() ? 9 : 0, pty->SlaveInputQueued());
  EXPECT_EQ(9, GetInQLen(kPort));
  ASSERT_TRUE(pty->Write(std::vector<uint8_t>(frame.begin() + 9, frame.end())));
  ASSERT_TRUE(WaitUntil([&] { return !calls.readCounts.empty(); }, 2.0));
  EXPECT_EQ((std::vector<int>{36}), calls.readCounts);
  EXPECT_EQ(frame, calls.read);
}

// On a line seen to keep its pace the port is not watched at all until a
// reply can first be whole, so the bytes before that wake nobody. A reply that
// comes sooner shows the line does not keep it (a pseudo-terminal answering
// at once): it is taken when the watch resumes, and the next one at once.
TEST_F(SerialFrameHold, APacedLineIsNotWatchedUntilAReplyCanBeWhole) {
  if (!SerialOsCountsInput()) GTEST_SKIP() << "the portable path has no frame hold";
  calls.body = [&](int port, int events) {
    if (events & COM_EVENT_RECEIVE) TakeFrame(&calls, port);
  };
  // At 2400 baud a request and its reply take 0.3 s on the line.
  ASSERT_EQ(0, OpenComConfig(kPort, "", 2400, 0, 8, 1, 4096, 4096));
  Install(COM_EVENT_RECEIVE);
  const std::vector<uint8_t> request = Counting(36);
  const auto send = [&] {
    return ComWrt(kPort, reinterpret_cast<const char*>(request.data()), 36) == 36;
  };
  const auto replied = [&](size_t n) { return calls.readCounts.size() == n; };

  // Replies at once: the line does not keep its pace, and each is taken at once.
  for (size_t n : {1u, 2u}) {
    ASSERT_TRUE(send());
    ASSERT_TRUE(pty->Write(Counting(36, 20)));
    ProcessEventsFor(0.1);
    EXPECT_TRUE(replied(n)) << n;
  }

  ASSERT_TRUE(send());
  ProcessEventsFor(0.31);  // the reply after the line's time: the line keeps its pace
  ASSERT_TRUE(pty->Write(Counting(36, 60)));
  ASSERT_TRUE(WaitUntil([&] { return replied(3); }, 2.0));

  ASSERT_TRUE(send());
  ASSERT_TRUE(pty->Write(Counting(36, 100)));  // whole at once, long before it could be
  ProcessEventsFor(0.1);
  EXPECT_EQ(36, pty->SlaveInputQueued());
  EXPECT_TRUE(replied(3));
  ASSERT_TRUE(WaitUntil([&] { return replied(4); }, 2.0));
  EXPECT_EQ(Counting(36, 100), calls.read);

  ASSERT_TRUE(send());
  ASSERT_TRUE(pty->Write(Counting(36, 140)));
  ProcessEventsFor(0.1);
  EXPECT_TRUE(replied(5));
  EXPECT_EQ(Counting(36, 140), calls.read);
}
