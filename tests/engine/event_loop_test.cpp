// The event loops: quit requests, nested waits, waking for events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <thread>

#include "runtime/testing/inspect.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "tests/engine/ui_recorder.h"
#include "tests/support/wait.h"

using namespace uitest;

namespace {
constexpr int kCallbackReturned = -10;
constexpr int kLoopReturned = -11;
}  // namespace

TEST(EventLoop, QuitInsideANestedWaitTakesEffectInTheOuterLoop) {
  KindsPanel p;
  const int panel = p.handle();
  bool laterEventSeen = false;
  SetHook(kGo, [&](int, int, int event) {
    if (event != UI_EVENT_COMMIT) return;
    QuitUserInterface(7);
    // The callback goes on waiting; events keep being processed meanwhile.
    QTimer::singleShot(0, [&] { laterEventSeen = true; });
    EXPECT_TRUE(WaitUntil([&] { return laterEventSeen; }, 5.0));
    Mark(kCallbackReturned);
  });
  QTimer::singleShot(0, [&] { SimulateClick(panel, kGo); });
  const int code = RunUserInterface();
  Mark(kLoopReturned);
  EXPECT_EQ(code, 7);
  ASSERT_GE(Events().size(), 2u);
  EXPECT_EQ(Events()[Events().size() - 2].event, kCallbackReturned);
  EXPECT_EQ(Events().back().event, kLoopReturned);
  EXPECT_TRUE(laterEventSeen);
}

TEST(EventLoop, QuitAskedBeforeTheLoopEndsItAtOnceAndIsConsumed) {
  QuitUserInterface(3);
  EXPECT_EQ(RunUserInterface(), 3);
  // The request was used up: the next loop runs until asked again.
  bool ran = false;
  QTimer::singleShot(0, [&] {
    ran = true;
    QuitUserInterface(4);
  });
  EXPECT_EQ(RunUserInterface(), 4);
  EXPECT_TRUE(ran);
}

TEST(EventLoop, ProcessSystemEventsReturnsWhenIdleAndRunsWhatArrives) {
  // Nothing pending: each call returns (a hang would time the test out).
  for (int i = 0; i < 50; ++i) ASSERT_EQ(ProcessSystemEvents(), 0);

  // Work posted from another thread runs in a following call.
  std::atomic<bool> handled{false};
  std::thread poster([&] {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { handled = true; }, Qt::QueuedConnection);
  });
  poster.join();
  EXPECT_TRUE(WaitUntil([&] { return handled.load(); }, 5.0));
}

TEST(Timer, IsMonotonicAndAdvances) {
  const double a = Timer();
  double b = a;
  ASSERT_TRUE(WaitUntil(
      [&] {
        b = Timer();
        return b > a;
      },
      5.0));
  EXPECT_GE(Timer(), b);
}

TEST(Timer, TestSeamReportsTheSetTimeStepsAndRunsItsHook) {
  const double real = Timer();
  SetTestTimer(10.0, 0.5);
  std::vector<double> seen;
  OnTestTimerRead([&](double t) { seen.push_back(t); });
  EXPECT_DOUBLE_EQ(Timer(), 10.0);
  EXPECT_DOUBLE_EQ(Timer(), 10.5);
  AdvanceTestTimer(2.0);
  EXPECT_DOUBLE_EQ(Timer(), 13.0);
  EXPECT_EQ(seen, (std::vector<double>{10.0, 10.5, 13.0}));
  ReleaseTestTimer();
  EXPECT_EQ(TestTimerIsSet(), 0);
  const double after = Timer();
  EXPECT_GE(after, real);
  EXPECT_LT(after, real + 60.0) << "the real clock is back";
  EXPECT_EQ(seen.size(), 3u) << "the hook is dropped with the seam";
}
