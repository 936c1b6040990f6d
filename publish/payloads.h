// What is published, as JSON text on one line. The numbers are the desktop
// program's: a measurement carries the recording's columns (the nine words
// by their names, the measured value in micrometres by the word table's
// rule, inside the band by the run statistics' rule), the parameters their
// names from the same table. Pure: words in, text out.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "fields/words.h"
#include "protocol/frame.h"

namespace publish {

// The publisher's and the sensor link's state, as PREFIX/status says it.
enum class SensorState {
  kUnknown,  // not yet known: nothing is published
  kOnline,   // the sensor answers
  kLost,     // the sensor stopped answering; the publisher goes on asking
  kOffline,  // the publisher has ended (its clean exit, or the broker's last will)
};
const char* StateName(SensorState state);  // "online", "lost", "offline"

// {"state":"online","dropped":0}: `dropped` frames left the queue unsent
// because it was full.
std::string StatusPayload(SensorState state, uint64_t dropped);

// A measurement's place in the stream: its number from 1 on (a reader sees
// a gap as frames lost), the wall clock when it was taken in, the
// milliseconds since the publisher started.
struct FrameStamp {
  uint64_t sequence = 0;
  int64_t unixMicroseconds = 0;
  int64_t milliseconds = 0;
};

// {"seq":1,"time":"2026-12-08T01:45:11.123456Z","time_ms":0,"edge1":..,
//  "edge2":..,"value":..,"teach":..,"tolerance":..,"pix1":..,"edcnt":..,
//  "mvstart":..,"mvend":..,"value_um":..,"inside":true}
// `pitchNm` and `scale` as the recording takes them (run_loop.h's RunSensor).
std::string MeasurementPayload(const FrameStamp& stamp,
                               const std::array<uint16_t, fields::kMeasurementWords>& words,
                               int32_t pitchNm, float scale);

struct SensorIdentity {
  std::string port;      // "COM1" or the device given
  std::string device;    // "/dev/ttyUSB0"
  std::string firmware;  // Latin-1, as the sensor sent it
  uint16_t ccdType = 0;
  uint16_t pixels = 0;
};
// {"port":..,"device":..,"firmware":..,"ccd_type":1,"ccd":..,"pixels":1024,
//  "pixel_pitch_nm":7800}, texts in UTF-8.
std::string IdentityPayload(const SensorIdentity& identity);

// {"power":500,"pwrMode":0,...}: the 16 parameters by name, in package order.
std::string ParametersPayload(const protocol::Words& parameters);

// "2026-12-08T01:45:11.123456Z": ISO 8601 in UTC, microseconds.
std::string UtcTime(int64_t unixMicroseconds);

}  // namespace publish
