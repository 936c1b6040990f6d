// The waiting core of the event loops: one round of event processing
// (ProcessSystemEvents, called by polling code, possibly nested inside
// callbacks) and the deadline of the wait that polls.
//
// A round blocks in the event dispatcher, so the thread sleeps until something
// happens: input, a timer, a posted event or a serial port's socket notifier.
// ProcessSystemEvents must also return when the polling code's time is up. A
// wait that told its deadline (SetWaitDeadline) gets one precise single-shot
// timer at that moment, so a paced reply wait wakes for its reply and nothing
// else; serial data wakes it at once through the port's notifier. Polling code
// that told none gets a kPollWakeMs timer, which bounds how late it sees its
// time-out at the cost of those wake-ups (about 1 % of a core at 5 ms).
// The outer loop stops both (EndWaitsForOuterLoop), so an idle program does
// not wake at all.
//
// A round that woke runs, before it returns, the work that its wake-up queued
// (the serial port's check, which calls the receive notification), so that a
// reply reaches the Run loop in the round its last byte woke, not one round
// later. The panels' engine hands its due paints to Qt in the round's hook.
#include "runtime/event_wait.h"

#include <algorithm>
#include <cmath>
#include <csignal>

#include <QCoreApplication>
#include <QTimer>

#include "runtime/engine/wait_core.h"
#include "runtime/time/clock_override.h"

namespace {

void (*g_roundHook)() = nullptr;

// Milliseconds until the told deadline, rounded up and one more, so that the
// wait, woken by it, finds its limit strictly passed. -1 when none is told, when
// it has passed (the short poll then bounds the wait), or when the test clock
// runs: its deadlines say nothing about real time.
int MillisecondsToDeadline(WaitCore& w) {
  if (w.waitDeadline < 0.0 || ClockOverridden()) return -1;
  const double left = w.waitDeadline - RealTimer();
  if (left <= 0.0) {
    w.waitDeadline = -1.0;
    return -1;
  }
  return static_cast<int>(std::min(std::ceil(left * 1000.0), 1.0e9)) + 1;
}

}  // namespace

WaitCore& TheWaitCore() {
  static WaitCore core;
  return core;
}

int InitEventCore(int argc, char** argv) {
  WaitCore& w = TheWaitCore();
  if (w.started) return 1;
  // The application object keeps references to argc and argv for its whole life.
  static int appArgc = 0;
  static char* emptyArgv[] = {const_cast<char*>("vantrel"), nullptr};
  appArgc = argc > 0 ? argc : 1;
  char** appArgv = (argc > 0 && argv != nullptr) ? argv : emptyArgv;
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(appArgc, appArgv);
  QCoreApplication* app = QCoreApplication::instance();
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  w.pollTimer = new QTimer(app);
  w.pollTimer->setTimerType(Qt::PreciseTimer);
  w.pollTimer->setInterval(kPollWakeMs);
  w.deadlineTimer = new QTimer(app);
  w.deadlineTimer->setTimerType(Qt::PreciseTimer);
  w.deadlineTimer->setSingleShot(true);
  w.started = true;
  return 1;
}

void SetEventRoundHook(void (*hook)()) {
  g_roundHook = hook;
}

void SetWaitDeadline(double timerValue) {
  WaitCore& w = TheWaitCore();
  w.waitDeadline = timerValue;
  w.replyRead = false;
}

void ForgetWaitDeadline() {
  WaitCore& w = TheWaitCore();
  w.waitDeadline = -1.0;
  w.replyRead = true;
}

void EndWaitsForOuterLoop() {
  WaitCore& w = TheWaitCore();
  w.waitDeadline = -1.0;
  w.replyRead = false;
  if (!w.started) return;
  w.pollTimer->stop();
  w.deadlineTimer->stop();
  w.deadlineArmed = -1.0;
}

int ProcessSystemEvents() {
  WaitCore& w = TheWaitCore();
  if (!w.started) return EVENT_CORE_NOT_STARTED;
  ++w.eventRounds;
  if (g_roundHook != nullptr) g_roundHook();
  // Right after a read, with no new wait told, the program is working on what
  // it read, not waiting: a loop that lets the panels breathe between passes
  // (the Data loop) must not sleep here until the next timer.
  if (w.replyRead) {
    w.replyRead = false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return 0;
  }
  const int ms = MillisecondsToDeadline(w);
  if (ms >= 0) {
    w.pollTimer->stop();
    // Started once per deadline, not per round: a round woken by data leaves
    // the timer running towards the same moment.
    if (w.deadlineArmed != w.waitDeadline || !w.deadlineTimer->isActive()) {
      w.deadlineTimer->start(ms);
      w.deadlineArmed = w.waitDeadline;
    }
  } else {
    w.deadlineTimer->stop();
    w.deadlineArmed = -1.0;
    if (!w.pollTimer->isActive()) w.pollTimer->start();
  }
  // Handles everything pending and returns; with nothing pending it sleeps
  // until the next event, which one of the two timers bounds.
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  // What the wake-up queued (a port's check: the receive notification) runs
  // in this round.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
  return 0;
}
