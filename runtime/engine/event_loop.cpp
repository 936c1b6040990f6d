// The outer event loop of a program with panels: RunUserInterface runs until
// QuitUserInterface. One round of processing for polling code,
// ProcessSystemEvents, is the waiting core's (event_wait.cpp); the outer loop
// stops its timers, so an idle program does not wake at all. Before it sleeps
// it hands the paints that are due to Qt (the repaint throttle), and after a
// wake-up it runs the work that wake-up queued (a port's check).
#include <QAbstractEventDispatcher>
#include <QApplication>

#include "runtime/engine/engine.h"
#include "runtime/engine/wait_core.h"
#include "runtime/serial/device_return.h"
#include "runtime/ui/repaint_pass.h"

int RunUserInterface() {
  Engine& e = TheEngine();
  if (!e.started) return UIE_NOT_INITIALISED;
  // A quit asked for before the loop started (during start-up, for example)
  // is honoured at once.
  while (!e.quitRequested) {
    // No wait runs here: a deadline left by one is over.
    EndWaitsForOuterLoop();
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
