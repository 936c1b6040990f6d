// An in-process serial line for the fuzz targets: the engine's serial
// operations over a script of bytes instead of a device, so that the link's
// procedures run unchanged against whatever a sensor might send.
//
// Script: a sequence of chunks, each [control][length][length bytes]. The low
// seven bits of the control byte are the delay, in steps of 20 ms, after which
// the chunk becomes readable, counted from the previous chunk; with bit 7 set
// the count starts only when the next request has been written. Time is the
// engine's test clock, which advances a little at every read, so every wait of
// the program ends within its limit however the script is shaped. The receive
// notification runs inside event processing, from a zero-delay timer, once
// arriving bytes bring the input queue to the notify count: as the engine's
// own serial library delivers it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fakeline {

// Takes the clock over and starts the notification timer. Call once, after
// InitRuntime.
void Install();
// A new script; the input queue is emptied and the clock starts again at 0.
// `openResult` is what the next OpenComConfig returns.
void Reset(const uint8_t* script, size_t size, int openResult);
// Frames written since the last Reset.
int Writes();

}  // namespace fakeline
