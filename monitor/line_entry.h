// One entry of the line monitor: an exchange on the sensor line (a request, a
// reply) or an event of the link (time-out, flush, notification, port).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace monitor {

enum class EntryKind {
  kRequest,          // bytes sent to the sensor; order: its order code
  kReply,            // bytes from the sensor answering (or following) a request
  kTimeout,          // the request's reply did not come within limitMs
  kInputFlushed,     // bytes: what the flush discarded
  kOutputFlushed,    // value: bytes not yet sent that the flush discarded
  kNotifyInstalled,  // value: the event mask
  kNotifyRemoved,
  kOpened,  // text: the device path
  kClosed,
  kLost,  // text: why the device went away
};

struct LineEntry {
  double timeMs = 0.0;  // since the port was opened
  EntryKind kind = EntryKind::kRequest;
  std::vector<uint8_t> bytes{};
  // Request: its order code. Reply and time-out: the order of the request it
  // follows (0 when no request came before it).
  int order = 0;
  double responseMs = -1.0;  // reply: from its request's last byte to its first; -1 none
  double limitMs = 0.0;      // time-out: the sender's limit
  // Notification installed: the mask. Output flushed: the bytes discarded.
  // Reply to order 9: the block start of its request.
  int value = 0;
  std::string text{};  // opened: device; lost: reason

  bool operator==(const LineEntry&) const = default;
};

}  // namespace monitor
