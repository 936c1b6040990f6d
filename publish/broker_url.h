// Where a publisher sends: the broker's address and the topic prefix, from
// a URL "mqtt://HOST[:PORT][/PREFIX]" or "mqtts://..." (TLS). Pure: text in,
// fields out.
#pragma once

#include <string>
#include <string_view>

namespace publish {

constexpr int kMqttPort = 1883;   // mqtt:// without a port
constexpr int kMqttsPort = 8883;  // mqtts:// without a port

struct BrokerUrl {
  bool tls = false;
  std::string host;    // a name, an IPv4 address or an IPv6 address (without brackets)
  int port = 0;        // 1..65535
  std::string prefix;  // the topic levels every topic starts with; may be empty
};

// Parses `text`; false with a one-line reason that quotes the part at fault.
// Refused: any other scheme, a user name or password in the URL (the
// password would show in the process list: --username and --password-file
// give them), a port outside 1..65535, a query, and a prefix
// that CheckTopicPrefix refuses.
bool ParseBrokerUrl(std::string_view text, BrokerUrl* out, std::string* error);

// A topic prefix: one or more levels separated by '/', none empty, without
// the wildcards '+' and '#' or control characters (a publisher's topics name
// one sensor; a wildcard is only for subscribers).
bool CheckTopicPrefix(std::string_view prefix, std::string* error);

// "HOST:PORT" ("[::1]:1883" for IPv6): how messages name the broker.
std::string BrokerLabel(const BrokerUrl& url);

}  // namespace publish
