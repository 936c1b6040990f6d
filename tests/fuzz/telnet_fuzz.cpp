// Fuzz target: a network port's Telnet client against whatever a server may
// send, cut into any pieces. The line's data never outgrows what came, the
// answers stay bounded, and a line once ready or refused never negotiates
// again.
#include <cstdlib>
#include <vector>

#include "netport/telnet_client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  netport::TelnetClient client;
  client.Start();
  std::vector<uint8_t> line, reply;
  bool settled = false;
  size_t at = 0;
  while (at < size) {
    // Each piece is announced by one byte giving its length (1 to 64).
    const size_t length = std::min<size_t>(data[at] % 64 + 1, size - at - 1);
    ++at;
    const size_t before = line.size();
    client.Receive(data + at, length, &line, &reply);
    if (line.size() - before > length) std::abort();
    at += length;
    const bool negotiating = client.State() == netport::TelnetState::kNegotiating;
    if (settled && negotiating) std::abort();
    settled = settled || !negotiating;
  }
  // The settings (about 80 bytes) once, at most three bytes of answer a byte.
  if (reply.size() > 3 * size + 128) std::abort();
  return 0;
}
