// The engine's waiting core, which needs no display: the application object
// of a program without windows, the one round of event processing that every
// wait goes through, the running wait's deadline, and the end of the process
// asked for by a signal. A program with panels gets all of it through
// InitRuntime (runtime/userint.h); a program without any (the command line)
// starts it with InitEventCore and links only QtCore and QtSerialPort.
//
// Everything here runs on the one thread that started it.
#pragma once

// ProcessSystemEvents before the core was started.
constexpr int EVENT_CORE_NOT_STARTED = -7;

// Creates the application object when there is none yet (a QCoreApplication:
// no display is needed or looked for) and the timers that bound the waits.
// Returns 1 when ready; calling it again returns 1 and does nothing.
// A file-size limit (ulimit -f) from now on fails the write that meets it,
// which every writer reports, instead of killing the process.
int InitEventCore(int argc, char** argv);

// Processes all pending events (the serial receive notification, timers and,
// in a program with panels, callbacks and repaints). When nothing is pending
// it sleeps until the next event (serial data wakes it at once) or until the
// running wait's deadline (see SetWaitDeadline), whichever comes first; with
// no deadline told it sleeps at most a few milliseconds, so a polling loop
// sees its time-out within 10 ms of its limit either way. The first call
// after a port was read, with no deadline told since, does not sleep: the
// program is busy with what it read. Safe to call from inside callbacks
// (nested). Returns 0, or EVENT_CORE_NOT_STARTED.
int ProcessSystemEvents();
// Tells the engine when the running wait gives up: a value of Timer(), the
// wait's start plus its limit. Until then ProcessSystemEvents wakes for events
// and for that moment only, not every few milliseconds. A told deadline ends
// when it passes, when another is told, when a port is read (the awaited reply
// has come) or when control is back in RunUserInterface. Call it once before a
// wait's polling loop; a wait that tells none still sees its time-out.
void SetWaitDeadline(double timerValue);

// From now on the first SIGTERM or SIGINT does not end the process: it is
// noted (TerminationRequested), wakes the running wait at once and, from the
// event loop, calls `then` (may be null), so that the program ends the way it
// chooses. A second one ends a process that cannot get back to its loop.
// Without the core started, or elsewhere than on Unix, it does nothing.
void WatchTerminationSignals(void (*then)());
// Whether SIGTERM or SIGINT came since WatchTerminationSignals.
bool TerminationRequested();
