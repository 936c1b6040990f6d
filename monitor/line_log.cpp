#include "monitor/line_log.h"

#include <algorithm>
#include <utility>

#include "protocol/frame.h"
#include "protocol/orders.h"

namespace monitor {

namespace {

// Bytes that answer nothing are cut into entries of at most this many, so a
// line full of noise cannot grow one entry without end.
constexpr size_t kStrayChunk = 256;

}  // namespace

LineLog::LineLog(size_t capacity) : capacity_(std::max<size_t>(capacity, 1)) {}

void LineLog::SetListener(std::function<void(const LineEntry&)> listener) {
  listener_ = std::move(listener);
}

double LineLog::Ms(double seconds) {
  if (!haveOrigin_) {
    haveOrigin_ = true;
    origin_ = seconds;
  }
  return (seconds - origin_) * 1000.0;
}

void LineLog::Append(LineEntry entry) {
  entries_.push_back(std::move(entry));
  if (entries_.size() > capacity_) entries_.pop_front();
  ++appended_;
  if (listener_) listener_(entries_.back());
}

void LineLog::AppendEvent(double seconds, EntryKind kind, int value, const std::string& text) {
  LineEntry entry;
  entry.timeMs = Ms(seconds);
  entry.kind = kind;
  entry.value = value;
  entry.text = text;
  Append(std::move(entry));
}

// The time-out is judged like the sender judges it: strictly more than the
// limit after the request. It is dated at the limit, not when it was seen.
void LineLog::Due(double seconds) {
  Exchange& x = exchange_;
  if (!x.awaiting || x.timedOut) return;
  if (seconds - x.sentSeconds <= x.limitMs / 1000.0) return;
  x.timedOut = true;
  LineEntry entry;
  entry.timeMs = x.sentMs + x.limitMs;
  entry.kind = EntryKind::kTimeout;
  entry.order = x.order;
  entry.limitMs = x.limitMs;
  Append(std::move(entry));
}

// Bytes still gathered become a reply entry of their own: an incomplete reply
// (with its response time) or stray bytes (without one).
void LineLog::FlushPending() {
  if (pending_.empty()) return;
  LineEntry entry;
  entry.timeMs = Ms(pendingSeconds_);
  entry.kind = EntryKind::kReply;
  entry.order = exchange_.order;
  entry.bytes = std::move(pending_);
  pending_.clear();
  if (pendingIsReply_) {
    entry.responseMs = entry.timeMs - exchange_.sentMs;
    if (exchange_.order == protocol::kData64) entry.value = exchange_.blockStart;
    exchange_.awaiting = false;
  }
  Append(std::move(entry));
}

void LineLog::EndExchange() {
  FlushPending();
  exchange_ = Exchange{};
}

void LineLog::Opened(double seconds, const std::string& device) {
  Due(seconds);
  EndExchange();
  haveOrigin_ = true;
  origin_ = seconds;
  AppendEvent(seconds, EntryKind::kOpened, 0, device);
}

void LineLog::Closed(double seconds) {
  Due(seconds);
  EndExchange();
  AppendEvent(seconds, EntryKind::kClosed);
}

void LineLog::Lost(double seconds, const std::string& reason) {
  Due(seconds);
  EndExchange();
  AppendEvent(seconds, EntryKind::kLost, 0, reason);
}

void LineLog::Sent(double seconds, const uint8_t* bytes, int count) {
  Due(seconds);
  FlushPending();
  LineEntry entry;
  entry.timeMs = Ms(seconds);
  entry.kind = EntryKind::kRequest;
  entry.order = count >= protocol::kHeaderLength ? protocol::OrderOf(bytes) : 0;
  entry.bytes.assign(bytes, bytes + std::max(count, 0));

  Exchange& x = exchange_;
  x = Exchange{};
  x.order = entry.order;
  x.sentSeconds = seconds;
  x.sentMs = entry.timeMs;
  x.expected = static_cast<size_t>(protocol::ReplyLength(x.order));
  x.limitMs = protocol::ReplyLimit(x.order) * 1000.0;
  x.blockStart = count >= protocol::kHeaderLength + 2 ? protocol::FrameWord(bytes, 0) : 0;
  x.awaiting = x.expected > 0;
  Append(std::move(entry));
}

void LineLog::Received(double seconds, const uint8_t* bytes, int count) {
  Due(seconds);
  int i = 0;
  while (i < count) {
    if (pending_.empty()) {
      pendingSeconds_ = seconds;
      pendingIsReply_ = exchange_.awaiting;
    }
    const size_t room = pendingIsReply_ ? exchange_.expected : kStrayChunk;
    const int take = static_cast<int>(std::min<size_t>(count - i, room - pending_.size()));
    pending_.insert(pending_.end(), bytes + i, bytes + i + take);
    i += take;
    if (pending_.size() < room) break;
    // A whole reply (or a full piece of stray bytes) is an entry at once;
    // what follows it in the same report starts the next piece.
    FlushPending();
  }
}

// The flush entry carries what was discarded, so bytes still gathered are
// dropped here rather than shown twice; a reply cut by the flush is no longer
// awaited.
void LineLog::InputFlushed(double seconds, const uint8_t* bytes, int count) {
  Due(seconds);
  if (!pending_.empty() && pendingIsReply_) exchange_.awaiting = false;
  pending_.clear();
  LineEntry entry;
  entry.timeMs = Ms(seconds);
  entry.kind = EntryKind::kInputFlushed;
  entry.bytes.assign(bytes, bytes + std::max(count, 0));
  Append(std::move(entry));
}

void LineLog::OutputFlushed(double seconds, int discarded) {
  Due(seconds);
  AppendEvent(seconds, EntryKind::kOutputFlushed, discarded);
}

void LineLog::NotifyInstalled(double seconds, int mask) {
  Due(seconds);
  AppendEvent(seconds, EntryKind::kNotifyInstalled, mask);
}

void LineLog::NotifyRemoved(double seconds) {
  Due(seconds);
  AppendEvent(seconds, EntryKind::kNotifyRemoved);
}

void LineLog::Tick(double seconds) {
  Due(seconds);
}

}  // namespace monitor
