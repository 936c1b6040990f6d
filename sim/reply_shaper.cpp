#include "sim/reply_shaper.h"

#include <algorithm>

#include "sim/protocol.h"

namespace sim {

void ReplyShaper::SetSwitches(bool paced, const Faults& faults) {
  if (faults.drop_every != faults_.drop_every) replies_for_drop_ = 0;
  if (faults.garbage_every != faults_.garbage_every) replies_for_garbage_ = 0;
  if (faults.hangup_after != faults_.hangup_after) requests_for_hangup_ = 0;
  paced_ = paced;
  faults_ = faults;
}

void ReplyShaper::Shape(const std::vector<uint8_t>& reply, double request_done, double now,
                        std::vector<OutputChunk>* out) {
  ++requests_for_hangup_;
  if (!reply.empty()) {
    ++replies_for_drop_;
    ++replies_for_garbage_;
    const bool dropped =
        faults_.silent || (faults_.drop_every > 0 && replies_for_drop_ % faults_.drop_every == 0);
    if (!dropped) {
      std::vector<uint8_t> bytes;
      if (faults_.garbage_every > 0 && replies_for_garbage_ % faults_.garbage_every == 0) {
        const uint32_t n = 1 + random_.Below(16);
        for (uint32_t i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(random_.Next()));
      }
      const size_t body = bytes.size();
      bytes.insert(bytes.end(), reply.begin(), reply.end());
      if (reply.size() == static_cast<size_t>(protocol::kFrameLength)) {
        // A wrong sync is the request's sync; a wrong echo is one order off.
        if (faults_.wrong_sync) protocol::PutWord(&bytes[body], protocol::kRequestSync);
        if (faults_.wrong_echo) {
          const uint16_t echo = protocol::OrderOf(&bytes[body]);
          protocol::PutWord(&bytes[body + 2], static_cast<uint16_t>(echo - 1));
        }
      }
      bytes.insert(bytes.end(), static_cast<size_t>(std::max(faults_.trailing, 0)), kTrailingByte);
      const double start = (paced_ ? request_done : now) + std::max(faults_.delay_ms, 0) / 1000.0;
      Schedule(bytes, start, out);
    }
  }
  if (faults_.hangup_after > 0 && !hangup_scheduled_ &&
      requests_for_hangup_ >= static_cast<uint64_t>(faults_.hangup_after)) {
    hangup_scheduled_ = true;
    OutputChunk mark;
    mark.due = std::max(line_free_, now);
    mark.hang_up = true;
    out->push_back(mark);
  }
}

void ReplyShaper::Schedule(const std::vector<uint8_t>& bytes, double start,
                           std::vector<OutputChunk>* out) {
  const double gap = faults_.dribble ? std::max(faults_.dribble_gap_us, 0) / 1e6 : 0.0;
  bool first = true;
  for (uint8_t b : bytes) {
    double due = std::max(start, line_free_);
    if (paced_) due += kByteTime;
    // Within a dribbled reply every byte keeps its gap after the one before.
    if (faults_.dribble && !first) due = std::max(due, line_free_ + gap);
    first = false;
    Append(b, due, out);
  }
}

void ReplyShaper::Replay(const std::vector<uint8_t>& bytes, double first_due,
                         std::vector<OutputChunk>* out) {
  // The recorded response time already holds the first byte's time on the
  // line; pacing spaces the bytes after it.
  double due = std::max(first_due, paced_ ? line_free_ + kByteTime : line_free_);
  for (uint8_t b : bytes) {
    Append(b, due, out);
    if (paced_) due += kByteTime;
  }
}

void ReplyShaper::Append(uint8_t byte, double due, std::vector<OutputChunk>* out) {
  line_free_ = due;
  // Bytes due at the same moment travel together; paced or dribbled bytes
  // each get a chunk of their own.
  if (!out->empty() && !out->back().hang_up && out->back().due == due) {
    out->back().bytes.push_back(byte);
  } else {
    OutputChunk chunk;
    chunk.due = due;
    chunk.bytes.push_back(byte);
    out->push_back(chunk);
  }
}

}  // namespace sim
