// Network ports (a serial device server: "rfc2217://HOST:PORT",
// "tcp://HOST:PORT") for features beside the program that talk to a line
// themselves, as Find sensor's probes do. The engine's own ports take such a
// URL wherever they take a device (runtime/rs232.h).
#pragma once

#include <functional>
#include <memory>
#include <string>

class QIODevice;

// True when `device` names a network port (a URL) rather than a serial device.
bool IsNetworkDevice(const std::string& device);

// Opens the network port `url` for the caller's own use, at 19200 8N1 for
// RFC 2217, without blocking. `opened(code, reason)` follows once, from the
// event loop: 0 when the device carries the line (it reads and writes the
// sensor's bytes as a serial port does: escapes undone, nothing of the
// protocol; readyRead as they come), else an RS232_ code and the reason
// naming host and port (RS232_CANNOT_OPEN_PORT with a reason starting "busy"
// when another port or program holds the server). Like the engine's ports the
// device claims the server until it is destroyed. A malformed URL gives null,
// the reason in *error, and no call.
std::unique_ptr<QIODevice> OpenNetworkDevice(
    const std::string& url, std::function<void(int code, const std::string& reason)> opened,
    std::string* error);
