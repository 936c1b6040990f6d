#include "netport/port_url.h"

#include <cctype>

namespace netport {
namespace {

constexpr std::string_view kSeparator = "://";

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool ParsePortNumber(std::string_view digits, uint16_t* port) {
  if (digits.empty() || digits.size() > 5) return false;
  unsigned value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

bool ValidHostName(std::string_view host) {
  for (const char c : host) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (!std::isalnum(u) && c != '.' && c != '-' && c != '_') return false;
  }
  return !host.empty();
}

}  // namespace

bool IsPortUrl(std::string_view device) {
  const size_t at = device.find(kSeparator);
  if (at == std::string_view::npos || at == 0) return false;
  // A scheme: a letter, then letters, digits, '+', '-' or '.'.
  if (!std::isalpha(static_cast<unsigned char>(device[0]))) return false;
  for (size_t i = 1; i < at; ++i) {
    const unsigned char c = static_cast<unsigned char>(device[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

bool ParsePortUrl(std::string_view text, PortUrl* url, std::string* error) {
  const size_t at = text.find(kSeparator);
  if (!IsPortUrl(text)) {
    *error = "not a network port (rfc2217://HOST:PORT or tcp://HOST:PORT)";
    return false;
  }
  const std::string scheme = Lower(text.substr(0, at));
  PortUrl parsed;
  if (scheme == "rfc2217") {
    parsed.transport = Transport::kRfc2217;
  } else if (scheme == "tcp") {
    parsed.transport = Transport::kRawTcp;
  } else {
    *error = "unknown scheme " + scheme + ":// (rfc2217:// or tcp://)";
    return false;
  }
  std::string_view rest = text.substr(at + kSeparator.size());
  std::string_view host;
  std::string_view port;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
      *error = "an IPv6 address goes in brackets before the port: [::1]:4001";
      return false;
    }
    host = rest.substr(1, close - 1);
    port = rest.substr(close + 2);
    if (host.empty() || host.find_first_not_of("0123456789abcdefABCDEF:.") != std::string::npos) {
      *error = "not an IPv6 address: " + std::string(host);
      return false;
    }
  } else {
    const size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos) {
      *error = "no port number: give HOST:PORT";
      return false;
    }
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
    if (!ValidHostName(host)) {
      *error = host.empty() ? "no host: give HOST:PORT" : "not a host name: " + std::string(host);
      return false;
    }
  }
  if (!ParsePortNumber(port, &parsed.port)) {
    *error = "not a port number (1 to 65535): " + std::string(port);
    return false;
  }
  parsed.host = std::string(host);
  *url = parsed;
  return true;
}

std::string HostAndPort(const PortUrl& url) {
  const bool v6 = url.host.find(':') != std::string::npos;
  return (v6 ? "[" + url.host + "]" : url.host) + ":" + std::to_string(url.port);
}

std::string PortUrlLockName(const PortUrl& url) {
  std::string name = Lower(url.host) + "-" + std::to_string(url.port);
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (!std::islower(u) && !std::isdigit(u) && c != '.' && c != '-') c = '_';
  }
  return name;
}

}  // namespace netport
