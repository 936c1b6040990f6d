// Fault switches of the simulated sensor. Each is off by default; any
// combination may be on. Counts ("every n-th", "after n") start afresh when
// their switch is changed.
#pragma once

namespace sim {

struct Faults {
  bool silent = false;      // requests are handled but nothing is sent back
  bool wrong_sync = false;  // 36-byte replies start 00 55 instead of 00 AA
  bool wrong_echo = false;  // 36-byte replies echo the order code minus one
  int drop_every = 0;       // every n-th reply is not sent (0 = none)
  int delay_ms = 0;         // each reply leaves this much later
  bool dribble = false;     // reply bytes leave one at a time, dribble_gap_us apart
  int dribble_gap_us = 2000;
  int trailing = 0;       // n extra bytes (0xEE) follow every reply
  int garbage_every = 0;  // a burst of 1..16 random bytes precedes every n-th reply
  int hangup_after = 0;   // after n requests (and their replies) the line is hung up
  // A write to RAM or EEPROM stores parameter word n (0..15) one higher than
  // sent (-1 = none): a sensor that does not hold what it was given.
  int store_changed_word = -1;

  bool operator==(const Faults&) const = default;
};

// Byte 0xEE: the filler sent after each reply with `trailing`.
constexpr unsigned char kTrailingByte = 0xEE;

}  // namespace sim
