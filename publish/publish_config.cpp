#include "publish/publish_config.h"

#include <array>

namespace publish {
namespace {

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The conf file's keys, each with the field it sets.
struct Key {
  const char* name;
  std::string PublishSettings::*field;  // null: qos
};
constexpr std::array<Key, 8> kKeys = {{
    {"port", &PublishSettings::port},
    {"broker", &PublishSettings::broker},
    {"prefix", &PublishSettings::prefix},
    {"client-id", &PublishSettings::clientId},
    {"username", &PublishSettings::username},
    {"password-file", &PublishSettings::passwordFile},
    {"cafile", &PublishSettings::cafile},
    {"qos", nullptr},
}};

bool Refuse(std::string* error, std::string line) {
  *error = std::move(line);
  return false;
}

}  // namespace

bool ParsePublishConfig(std::string_view text, const std::string& fileName, PublishSettings* out,
                        std::string* error) {
  PublishSettings settings;
  std::array<bool, kKeys.size()> seen{};
  int number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (line.empty() || line.front() == '#') continue;
    const std::string at = fileName + ":" + std::to_string(number) + ": ";
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
      return Refuse(error, at + "'key = value' expected, not '" + std::string(line) + "'");
    const std::string_view key = Trimmed(line.substr(0, equals));
    const std::string_view value = Trimmed(line.substr(equals + 1));
    size_t index = 0;
    while (index < kKeys.size() && key != kKeys[index].name) ++index;
    if (index == kKeys.size()) {
      return Refuse(error, at + "unknown key '" + std::string(key) +
                               "' (port, broker, prefix, client-id, username, password-file, "
                               "qos, cafile)");
    }
    if (seen[index]) return Refuse(error, at + "'" + std::string(key) + "' is given twice");
    seen[index] = true;
    if (value.empty()) return Refuse(error, at + "'" + std::string(key) + "' has no value");
    if (kKeys[index].field != nullptr) {
      settings.*kKeys[index].field = std::string(value);
    } else if (value == "0" || value == "1") {
      settings.qos = value[0] - '0';
    } else {
      return Refuse(error, at + "qos is 0 or 1, not '" + std::string(value) + "'");
    }
  }
  *out = settings;
  return true;
}

PublishSettings Overlay(const PublishSettings& file, const PublishSettings& given) {
  PublishSettings merged = file;
  for (const Key& key : kKeys) {
    if (key.field != nullptr && !(given.*key.field).empty()) merged.*key.field = given.*key.field;
  }
  if (given.qos >= 0) merged.qos = given.qos;
  return merged;
}

bool ResolveTarget(const PublishSettings& settings, PublishTarget* out, std::string* error) {
  PublishTarget target;
  if (settings.broker.empty())
    return Refuse(error,
                  "no broker: give --mqtt mqtt://HOST[:PORT]/PREFIX (or broker = in --config)");
  if (!ParseBrokerUrl(settings.broker, &target.broker, error)) return false;
  if (!settings.prefix.empty()) {
    if (!target.broker.prefix.empty())
      return Refuse(error, "the topic prefix is given twice: in the broker's URL and as prefix");
    if (!CheckTopicPrefix(settings.prefix, error)) return false;
    target.broker.prefix = settings.prefix;
  }
  if (target.broker.prefix.empty())
    return Refuse(error, "no topic prefix: end the broker's URL with /PREFIX (e.g. plant/line1)");
  if (!settings.passwordFile.empty() && settings.username.empty())
    return Refuse(error, "a password file goes with a user name (--username)");
  if (!settings.cafile.empty() && !target.broker.tls)
    return Refuse(error, "a CA file is for mqtts:// (TLS); the broker is mqtt://");
  target.port = settings.port;
  target.clientId = settings.clientId;
  if (target.clientId.empty()) {
    target.clientId = "vantrel-" + target.broker.prefix;
    for (char& c : target.clientId) {
      if (c == '/') c = '-';
    }
  }
  target.username = settings.username;
  target.passwordFile = settings.passwordFile;
  target.cafile = settings.cafile;
  target.qos = settings.qos >= 0 ? settings.qos : kDefaultQos;
  *out = target;
  return true;
}

}  // namespace publish
