// Waiting on a condition with a deadline while the engine processes events;
// tests never sleep to "let things settle".
#pragma once

#include <functional>

// Processes events until `done()` is true or `seconds` have passed; returns the
// last value of `done()`.
bool WaitUntil(const std::function<bool()>& done, double seconds);
// Processes events for `seconds` (for asserting that something does NOT happen).
void ProcessEventsFor(double seconds);
