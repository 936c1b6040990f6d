// The state of the engine's waiting core (runtime/event_wait.h): the rounds
// of event processing, the timers that bound a round's sleep and the running
// wait's deadline. Internal to runtime/; nothing outside the engine includes it.
#pragma once

class QTimer;

struct WaitCore {
  bool started = false;
  long eventRounds = 0;  // ProcessSystemEvents calls so far: who polls without them

  QTimer* pollTimer = nullptr;      // bounds ProcessSystemEvents' wait (kPollWakeMs)
  double waitDeadline = -1.0;       // the running wait's deadline on Timer()'s scale; < 0: none
  QTimer* deadlineTimer = nullptr;  // single shot at waitDeadline, while one is told
  double deadlineArmed = -1.0;      // the deadline deadlineTimer was started for
  bool replyRead = false;  // a port was read since the last round, and no deadline told since
};

// Longest sleep of ProcessSystemEvents when nothing happens. Serial data,
// input and timers wake it at once; this only bounds how late a polling loop
// sees its time-out, at a cost of kPollWakeMs-spaced wake-ups while it polls.
constexpr int kPollWakeMs = 5;

WaitCore& TheWaitCore();

// Ends the running wait's deadline: the awaited bytes are being read, and
// whatever polls next without telling its own must not sleep until it.
void ForgetWaitDeadline();

// The outer event loop is about to sleep: no wait runs, so a deadline left by
// one is over and neither timer may wake an idle program.
void EndWaitsForOuterLoop();

// Called at the start of every ProcessSystemEvents round before anything is
// processed (the panels' engine destroys discarded windows there); null: none.
void SetEventRoundHook(void (*hook)());
