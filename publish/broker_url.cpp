#include "publish/broker_url.h"

#include <cctype>

namespace publish {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool Refuse(std::string* error, std::string line) {
  *error = std::move(line);
  return false;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool CheckTopicPrefix(std::string_view prefix, std::string* error) {
  const std::string quoted = "topic prefix '" + std::string(prefix) + "'";
  if (prefix.empty()) return Refuse(error, "the topic prefix is empty");
  if (prefix.front() == '/' || prefix.back() == '/' || prefix.find("//") != std::string::npos)
    return Refuse(error, quoted + " has an empty level");
  for (const char c : prefix) {
    if (c == '+' || c == '#')
      return Refuse(error, quoted + " holds the wildcard '" + std::string(1, c) + "'");
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return Refuse(error, quoted + " holds a control character");
  }
  return true;
}

bool ParseBrokerUrl(std::string_view text, BrokerUrl* out, std::string* error) {
  *out = BrokerUrl{};
  const std::string quoted = "broker '" + std::string(text) + "'";
  std::string_view rest;
  if (StartsWith(text, "mqtt://")) {
    rest = text.substr(7);
    out->port = kMqttPort;
  } else if (StartsWith(text, "mqtts://")) {
    rest = text.substr(8);
    out->tls = true;
    out->port = kMqttsPort;
  } else {
    return Refuse(error, quoted + ": the broker is mqtt://HOST[:PORT]/PREFIX or mqtts://...");
  }
  // A '#' is the wildcard, which the prefix check names.
  if (rest.find('?') != std::string_view::npos)
    return Refuse(error, quoted + ": a query has no meaning here");
  const size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  if (slash != std::string_view::npos) {
    const std::string_view prefix = rest.substr(slash + 1);
    if (!prefix.empty() && !CheckTopicPrefix(prefix, error)) return false;
    out->prefix = std::string(prefix);
  }
  if (authority.find('@') != std::string_view::npos)
    return Refuse(error, quoted +
                             ": no user or password in the URL (it would show in the process "
                             "list); give --username and --password-file");
  std::string_view portText;
  if (StartsWith(authority, "[")) {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return Refuse(error, quoted + ": '[' without ']'");
    out->host = std::string(authority.substr(1, close - 1));
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return Refuse(error, quoted + ": ':PORT' expected after ']'");
      portText = after.substr(1);
      if (portText.empty()) return Refuse(error, quoted + ": the port is empty");
    }
  } else {
    const size_t colon = authority.find(':');
    out->host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos) {
      portText = authority.substr(colon + 1);
      if (portText.empty()) return Refuse(error, quoted + ": the port is empty");
    }
  }
  if (out->host.empty()) return Refuse(error, quoted + ": no host");
  for (const char c : out->host) {
    if (std::isspace(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) < 0x20)
      return Refuse(error, quoted + ": the host holds a blank or a control character");
  }
  if (!portText.empty()) {
    if (!AllDigits(portText) || portText.size() > 5 || std::stoi(std::string(portText)) < 1 ||
        std::stoi(std::string(portText)) > 65535)
      return Refuse(error,
                    quoted + ": the port is 1 to 65535, not '" + std::string(portText) + "'");
    out->port = std::stoi(std::string(portText));
  }
  return true;
}

std::string BrokerLabel(const BrokerUrl& url) {
  const bool v6 = url.host.find(':') != std::string::npos;
  return (v6 ? "[" + url.host + "]" : url.host) + ":" + std::to_string(url.port);
}

}  // namespace publish
