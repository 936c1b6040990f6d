// The channel behind a port number, for the serial inspection seam of the
// test-support library. Private to the engine and that library.
#pragma once

class ComChannel;

// The channel of port `port`, or nullptr when the port was never opened or
// does not exist.
const ComChannel* PortChannel(int port);
