// Where a network port leads: "rfc2217://HOST:PORT" (a serial device server
// speaking Telnet with the COM-PORT-OPTION, which carries the line's settings)
// or "tcp://HOST:PORT" (the bytes as they are). Pure: text in, parts out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace netport {

enum class Transport { kRfc2217, kRawTcp };

struct PortUrl {
  Transport transport = Transport::kRawTcp;
  std::string host;  // a name, an IPv4 address, or an IPv6 address without brackets
  uint16_t port = 0;
};

// True when `device` names a network port rather than a serial device: it
// starts with a scheme ("letters://"). Such a name is never a path.
bool IsPortUrl(std::string_view device);

// Parses "rfc2217://HOST:PORT" or "tcp://HOST:PORT" (scheme in any case; an
// IPv6 address in brackets, "[::1]:4001"). False with the reason in *error for
// another scheme, a missing host, a port outside 1..65535 or anything after
// the port (a path, a query).
bool ParsePortUrl(std::string_view text, PortUrl* url, std::string* error);

// "host:port" ("[::1]:4001" for IPv6), how messages name the server.
std::string HostAndPort(const PortUrl& url);

// The name that stands for the server in a lock file: the host in lower case
// and the port, every character outside [a-z0-9.-] replaced by '_'. Both
// transports to one server share it: the server is one line either way.
std::string PortUrlLockName(const PortUrl& url);

}  // namespace netport
