// Fuzz target: the simulated sensor's request framer. Any byte stream, cut
// into any pieces, is accounted for: every byte fed is part of a complete
// request, dropped while looking for a header, or still held.
#include <cstdlib>
#include <vector>

#include "sim/request_framer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::RequestFramer framer;
  std::vector<sim::FramedRequest> out;
  size_t fed = 0;
  size_t at = 0;
  double time = 0.0;
  while (at < size) {
    // Each piece is announced by one byte giving its length (1 to 40).
    const size_t length = std::min<size_t>(data[at] % 40 + 1, size - at - 1);
    ++at;
    framer.Feed(data + at, length, time, &out);
    fed += length;
    at += length;
    time += 0.001;
  }
  if (fed != out.size() * 36 + framer.DiscardedBytes() + framer.Pending()) std::abort();
  if (framer.Pending() >= 36) std::abort();
  for (const sim::FramedRequest& r : out)
    if (r.order < 1 || r.order > 10 || r.last_byte < r.first_byte) std::abort();
  return 0;
}
