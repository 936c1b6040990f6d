// The event loops: RunUserInterface (the outer loop) and ProcessSystemEvents
// (one round, called by polling code, possibly nested inside callbacks).
//
// Both block in the event dispatcher, so the thread sleeps until something
// happens: input, a timer, a posted event or a serial port's socket notifier.
// ProcessSystemEvents must also return when the polling code's time is up. A
// wait that told its deadline (SetWaitDeadline) gets one precise single-shot
// timer at that moment, so a paced reply wait wakes for its reply and nothing
// else; serial data wakes it at once through the port's notifier. Polling code
// that told none gets a kPollWakeMs timer, which bounds how late it sees its
// time-out at the cost of those wake-ups (about 1 % of a core at 5 ms).
// The outer loop stops both, so an idle program does not wake at all.
//
// Each round first hands the paints that are due to Qt (the repaint throttle),
// so that what polling code drew since the last round is painted in this one;
// and a round that woke runs, before it returns, the work that its wake-up
// queued (the serial port's check, which calls the receive notification), so
// that a reply reaches the Run loop in the round its last byte woke, not one
// round later.
#include <algorithm>
#include <cmath>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTimer>

#include "runtime/engine/engine.h"
#include "runtime/serial/device_return.h"
#include "runtime/time/clock_override.h"
#include "runtime/ui/repaint_pass.h"

namespace {

// Milliseconds until the told deadline, rounded up and one more, so that the
// wait, woken by it, finds its limit strictly passed. -1 when none is told, when
// it has passed (the short poll then bounds the wait), or when the test clock
// runs: its deadlines say nothing about real time.
int MillisecondsToDeadline(Engine& e) {
  if (e.waitDeadline < 0.0 || ClockOverridden()) return -1;
  const double left = e.waitDeadline - RealTimer();
  if (left <= 0.0) {
    e.waitDeadline = -1.0;
    return -1;
  }
  return static_cast<int>(std::min(std::ceil(left * 1000.0), 1.0e9)) + 1;
}

void StopWaitTimers(Engine& e) {
  e.pollTimer->stop();
  e.deadlineTimer->stop();
  e.deadlineArmed = -1.0;
}

}  // namespace

void SetWaitDeadline(double timerValue) {
  Engine& e = TheEngine();
  e.waitDeadline = timerValue;
  e.replyRead = false;
}

void ForgetWaitDeadline() {
  Engine& e = TheEngine();
  e.waitDeadline = -1.0;
  e.replyRead = true;
}

int RunUserInterface() {
  Engine& e = TheEngine();
  if (!e.started) return UIE_NOT_INITIALISED;
  // A quit asked for before the loop started (during start-up, for example)
  // is honoured at once.
  while (!e.quitRequested) {
    // No wait runs here: a deadline left by one is over.
    e.waitDeadline = -1.0;
    e.replyRead = false;
    StopWaitTimers(e);
    DestroyDiscardedPanels();
    // Here no operation runs: a port whose device came back may be opened again.
    DeliverDeviceReturns();
    // Objects Qt itself scheduled for deletion from outside any event handler
    // wait for an event loop to return; this loop never "returns", so hand
    // them over here, where no handler of theirs can be running.
    if (e.callbackDepth == 0) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    FlushDueRepaints();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
  }
  e.quitRequested = false;
  DestroyDiscardedPanels();
  return e.quitCode;
}

int QuitUserInterface(int returnCode) {
  Engine& e = TheEngine();
  e.quitRequested = true;
  e.quitCode = returnCode;
  // Nested loops do not look at the request; the outer loop sees it when
  // control returns there. Wake it in case it is asleep.
  if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance()) d->wakeUp();
  return 0;
}

int ProcessSystemEvents() {
  Engine& e = TheEngine();
  if (!e.started) return UIE_NOT_INITIALISED;
  ++e.eventRounds;
  DestroyDiscardedPanels();
  FlushDueRepaints();
  // Right after a read, with no new wait told, the program is working on what
  // it read, not waiting: a loop that lets the panels breathe between passes
  // (the Data loop) must not sleep here until the next timer.
  if (e.replyRead) {
    e.replyRead = false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return 0;
  }
  const int ms = MillisecondsToDeadline(e);
  if (ms >= 0) {
    e.pollTimer->stop();
    // Started once per deadline, not per round: a round woken by data leaves
    // the timer running towards the same moment.
    if (e.deadlineArmed != e.waitDeadline || !e.deadlineTimer->isActive()) {
      e.deadlineTimer->start(ms);
      e.deadlineArmed = e.waitDeadline;
    }
  } else {
    e.deadlineTimer->stop();
    e.deadlineArmed = -1.0;
    if (!e.pollTimer->isActive()) e.pollTimer->start();
  }
  // Handles everything pending and returns; with nothing pending it sleeps
  // until the next event, which one of the two timers bounds.
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  // What the wake-up queued (a port's check: the receive notification) runs
  // in this round.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
  return 0;
}
