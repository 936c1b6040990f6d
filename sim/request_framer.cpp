#include "sim/request_framer.h"

namespace sim {

namespace {
// The request sync's two bytes, as they come on the line.
constexpr uint8_t kSyncHigh = protocol::kRequestSync >> 8;
constexpr uint8_t kSyncLow = protocol::kRequestSync & 0xFF;
}  // namespace

void RequestFramer::Feed(const uint8_t* data, const double* times, size_t count,
                         std::vector<FramedRequest>* out) {
  bytes_.insert(bytes_.end(), data, data + count);
  times_.insert(times_.end(), times, times + count);
  Extract(out);
}

void RequestFramer::Feed(const uint8_t* data, size_t count, double time,
                         std::vector<FramedRequest>* out) {
  const std::vector<double> times(count, time);
  Feed(data, times.data(), count, out);
}

void RequestFramer::Extract(std::vector<FramedRequest>* out) {
  size_t pos = 0;
  while (bytes_.size() - pos >= 1) {
    const size_t left = bytes_.size() - pos;
    // Judge as much of the header as has arrived; an incomplete header that
    // still matches waits for more bytes.
    const uint8_t* p = bytes_.data() + pos;
    bool plausible = p[0] == kSyncHigh;
    if (plausible && left >= 2) plausible = p[1] == kSyncLow;
    if (plausible && left >= 3) plausible = p[2] == 0x00;  // every order code is below 256
    if (plausible && left >= 4) plausible = protocol::IsOrder(p[3]);
    if (!plausible) {
      ++pos;
      ++discarded_;
      ++skipped_;
      continue;
    }
    if (left < kFrameBytes) break;
    FramedRequest request;
    request.order = protocol::OrderOf(p);
    request.words = protocol::DecodeWords(p);
    request.first_byte = times_[pos];
    request.last_byte = times_[pos + kFrameBytes - 1];
    request.skipped = skipped_;
    skipped_ = 0;
    out->push_back(request);
    pos += kFrameBytes;
  }
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(pos));
  times_.erase(times_.begin(), times_.begin() + static_cast<std::ptrdiff_t>(pos));
}

}  // namespace sim
