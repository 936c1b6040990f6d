// What a publisher is told, from the command line, a conf file or both: the
// sensor's port, the broker, the topic prefix, the client id, the
// credentials, the QoS of the measurements and the TLS CA file. The conf file
// (/etc/vantrel/publish-<name>.conf for the systemd unit) holds one
// "key = value" a line:
//
//   # line 1 of the press hall
//   port = /dev/ttyUSB0
//   broker = mqtt://broker.plant:1883
//   prefix = plant/line1
//   client-id = vantrel-line1
//   username = line1
//   password-file = /etc/vantrel/line1.password
//   qos = 1
//   cafile = /etc/ssl/certs/plant-ca.pem
//
// Blank lines and lines starting with '#' are skipped; the keys are the
// command line's option names. Pure: text in, settings out.
#pragma once

#include <string>
#include <string_view>

#include "publish/broker_url.h"

namespace publish {

// As given; an empty text (or qos -1) is a setting not given.
struct PublishSettings {
  std::string port;  // as --port takes it
  std::string broker;
  std::string prefix;
  std::string clientId;
  std::string username;
  std::string passwordFile;
  std::string cafile;
  int qos = -1;
};

// Reads a conf file's text. A line that is not "key = value", an unknown
// key, a key given twice, an empty value or a qos other than 0 or 1 is
// refused as "FILE:LINE: reason", and nothing is taken.
bool ParsePublishConfig(std::string_view text, const std::string& fileName, PublishSettings* out,
                        std::string* error);

// The settings of `file` with those `given` sets (the command line) in
// their place.
PublishSettings Overlay(const PublishSettings& file, const PublishSettings& given);

// What the publisher runs with, checked and completed.
struct PublishTarget {
  std::string port;  // empty: COM1
  BrokerUrl broker;  // its prefix the one in force
  std::string clientId;
  std::string username;
  std::string passwordFile;
  std::string cafile;  // empty with mqtts://: the system's CA certificates
  int qos = 1;
};

// Needs a broker and one prefix (in the URL or apart, not both); a password
// file goes with a user name, a CA file with mqtts://. The client id is
// "vantrel-" and the prefix with '/' as '-' when none is given. False with a
// one-line reason.
bool ResolveTarget(const PublishSettings& settings, PublishTarget* out, std::string* error);

// The QoS of the measurements when none is given: every frame acknowledged.
constexpr int kDefaultQos = 1;

}  // namespace publish
