// Turns the model's replies into bytes on a timeline: the pacing of a
// 19200-baud line and the fault switches, at the byte-stream level. Pure:
// times are seconds on the caller's clock, nothing is sent from here.
//
// Paced, a byte takes 10 bit times (1/1920 s) on the line: a reply's first
// byte is due one byte time after the request's last byte was complete on the
// line (or after the previous reply's last byte), every further byte one byte
// time after the one before. Unpaced, a reply is due at once. A byte is never
// due before its time, so a 36 + 36 byte exchange paced takes at least
// 72 byte times (37.5 ms) from the request's first byte.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/faults.h"
#include "sim/random.h"

namespace sim {

constexpr double kBaud = 19200.0;
constexpr double kByteTime = 10.0 / kBaud;  // seconds per byte, 8N1

struct OutputChunk {
  double due = 0;              // not to be written before this time
  std::vector<uint8_t> bytes;  // empty for the hang-up mark
  bool hang_up = false;        // hang the line up once everything before is sent
};

class ReplyShaper {
 public:
  explicit ReplyShaper(uint64_t seed) : random_(seed ^ 0x4741524Bull) {}

  // New switches; a changed drop, garbage or hang-up count restarts its count.
  void SetSwitches(bool paced, const Faults& faults);

  // One request has been handled. `reply` is the model's reply (empty for
  // orders without one); `request_done` is when the request's last byte was
  // complete on the line; `now` is the current time. Appends what is to be
  // sent, in order, with non-decreasing due times.
  void Shape(const std::vector<uint8_t>& reply, double request_done, double now,
             std::vector<OutputChunk>* out);

  // Bytes recorded on a real line (replay): the first is due at `first_due`
  // (or once the line is free), the others follow as the pacing says. The
  // fault switches do not apply.
  void Replay(const std::vector<uint8_t>& bytes, double first_due, std::vector<OutputChunk>* out);

  bool HangUpScheduled() const { return hangup_scheduled_; }

 private:
  void Schedule(const std::vector<uint8_t>& bytes, double start, std::vector<OutputChunk>* out);
  // Appends one byte due at `due` and marks the line busy until then.
  void Append(uint8_t byte, double due, std::vector<OutputChunk>* out);

  bool paced_ = true;
  Faults faults_;
  Prng random_;
  uint64_t replies_for_drop_ = 0;
  uint64_t replies_for_garbage_ = 0;
  uint64_t requests_for_hangup_ = 0;
  bool hangup_scheduled_ = false;
  double line_free_ = 0;  // due time of the last byte scheduled
};

}  // namespace sim
