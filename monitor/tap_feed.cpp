#include "monitor/tap_feed.h"

namespace monitor {

void FeedLineLog(LineLog& log, const SerialTapRecord& r) {
  switch (r.kind) {
    case SerialTapKind::kOpened:
      log.Opened(r.time, r.text);
      break;
    case SerialTapKind::kClosed:
      log.Closed(r.time);
      break;
    case SerialTapKind::kLost:
      log.Lost(r.time, r.text);
      break;
    case SerialTapKind::kSent:
      log.Sent(r.time, r.bytes, r.count);
      break;
    case SerialTapKind::kReceived:
      log.Received(r.time, r.bytes, r.count);
      break;
    case SerialTapKind::kInputFlushed:
      log.InputFlushed(r.time, r.bytes, r.count);
      break;
    case SerialTapKind::kOutputFlushed:
      log.OutputFlushed(r.time, r.value);
      break;
    case SerialTapKind::kNotifyInstalled:
      log.NotifyInstalled(r.time, r.value);
      break;
    case SerialTapKind::kNotifyRemoved:
      log.NotifyRemoved(r.time);
      break;
  }
}

}  // namespace monitor
