// Cuts the incoming byte stream into 36-byte requests.
//
// A request starts with the request sync followed by an order code 1..10
// (big-endian).
// Bytes that cannot start a request are dropped one at a time until such a
// header appears, so garbage on the line costs nothing but itself. A request
// whose bytes arrive in pieces is completed by later bytes, however they are
// split. Each byte carries a time stamp (seconds on the caller's clock); a
// complete request reports the stamp of its first and its last byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/protocol.h"

namespace sim {

struct FramedRequest {
  int order = 0;
  Words words{};
  double first_byte = 0;  // stamp of the sync's first byte
  double last_byte = 0;   // stamp of the 36th byte
  size_t skipped = 0;     // bytes dropped since the previous request
};

class RequestFramer {
 public:
  // Feeds `count` bytes with their stamps (times[i] belongs to data[i]);
  // appends every request completed by them to `out`, in order.
  void Feed(const uint8_t* data, const double* times, size_t count,
            std::vector<FramedRequest>* out);
  // Same, with one stamp for all bytes.
  void Feed(const uint8_t* data, size_t count, double time, std::vector<FramedRequest>* out);

  // Bytes dropped while looking for a header, since construction.
  size_t DiscardedBytes() const { return discarded_; }
  // Bytes held that do not yet make a complete request.
  size_t Pending() const { return bytes_.size(); }

 private:
  void Extract(std::vector<FramedRequest>* out);

  std::vector<uint8_t> bytes_;
  std::vector<double> times_;
  size_t discarded_ = 0;
  size_t skipped_ = 0;  // dropped since the last request
};

}  // namespace sim
