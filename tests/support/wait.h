// Waiting on a condition with a deadline while the engine processes events;
// tests never sleep to "let things settle".
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Processes events until `done()` is true or `seconds` have passed; returns the
// last value of `done()`.
bool WaitUntil(const std::function<bool()>& done, double seconds);
// Processes events for `seconds` (for asserting that something does NOT happen).
void ProcessEventsFor(double seconds);

// A request of an order no sensor knows, written on the program's line, arrives
// behind everything the program wrote before: once the sensor has it, nothing
// the program sent is still on its way. The scripted sensor logs it; the
// simulated one skips all its bytes, the last word 0xFFFF included.
constexpr int kMarkerOrder = 99;
constexpr size_t kMarkerBytes = 36;
void SendMarker(const std::string& device);
