// The seam of the engine's clock: while an override is set, Timer() reports
// what it returns instead of the real clock. None is set in the program; the
// test clock of the test-support library sets one.
// Private to the engine and its test-support library.
#pragma once

using ClockOverride = double (*)();
// Sets the override (nullptr: the real clock) and returns the one set before.
ClockOverride SetClockOverride(ClockOverride override);

// Whether an override is set: Timer() then says nothing about real time.
bool ClockOverridden();
// The real clock on Timer()'s scale, whatever override is set.
double RealTimer();
