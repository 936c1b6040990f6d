#include "runtime/testing/serial_inspect.h"

#include "runtime/serial/port_channel.h"
#include "runtime/serial/serial_channel.h"

long InspectComErrorReports(int port) {
  const ComChannel* channel = PortChannel(port);
  return channel != nullptr ? channel->ErrorReports() : 0;
}
