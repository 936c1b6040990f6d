// The event loops: RunUserInterface (the outer loop) and ProcessSystemEvents
// (one round, called by polling code, possibly nested inside callbacks).
//
// Both block in the event dispatcher, so the thread sleeps until something
// happens: input, a timer, a posted event or a serial port's socket notifier.
// ProcessSystemEvents must also return promptly when nothing happens, so while
// polling code runs a timer of kPollWakeMs keeps the wait short (a polling loop
// sees its time-out within that much of its limit); serial data wakes it at once
// through the port's notifier. A shorter period buys nothing but wake-ups: at
// 1 ms they alone cost a polling loop about 2.5 % of a core, at 5 ms about 1 %.
// The outer loop stops the timer, so an idle program does not wake at all.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTimer>

#include "runtime/engine/engine.h"
#include "runtime/serial/device_return.h"

int RunUserInterface() {
  Engine& e = TheEngine();
  if (!e.started) return UIE_NOT_INITIALISED;
  // A quit asked for before the loop started (during start-up, for example)
  // is honoured at once.
  while (!e.quitRequested) {
    e.pollTimer->stop();
    DestroyDiscardedPanels();
    // Here no operation runs: a port whose device came back may be opened again.
    DeliverDeviceReturns();
    // Objects Qt itself scheduled for deletion from outside any event handler
    // wait for an event loop to return; this loop never "returns", so hand
    // them over here, where no handler of theirs can be running.
    if (e.callbackDepth == 0) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
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
  if (!e.pollTimer->isActive()) e.pollTimer->start();
  ++e.eventRounds;
  DestroyDiscardedPanels();
  // Handles everything pending and returns; with nothing pending it sleeps
  // until the next event, which the running poll timer bounds.
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  return 0;
}
