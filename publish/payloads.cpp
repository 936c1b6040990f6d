#include "publish/payloads.h"

#include <cstdio>
#include <ctime>

#include "cli/json.h"
#include "cli/results.h"
#include "fields/latin1.h"
#include "fields/micrometres.h"
#include "protocol/ccd.h"
#include "watch/run_statistics.h"

namespace publish {

const char* StateName(SensorState state) {
  switch (state) {
    case SensorState::kOnline:
      return "online";
    case SensorState::kLost:
      return "lost";
    case SensorState::kOffline:
      return "offline";
    case SensorState::kUnknown:
      break;
  }
  return "unknown";
}

std::string StatusPayload(SensorState state, uint64_t dropped) {
  return cli::JsonObject()
      .Add("state", StateName(state))
      .Add("dropped", static_cast<int64_t>(dropped))
      .Text();
}

std::string UtcTime(int64_t unixMicroseconds) {
  int64_t seconds = unixMicroseconds / 1000000;
  int64_t micros = unixMicroseconds % 1000000;
  if (micros < 0) {
    micros += 1000000;
    --seconds;
  }
  const std::time_t whole = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&whole, &utc);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(micros));
  return text;
}

std::string MeasurementPayload(const FrameStamp& stamp,
                               const std::array<uint16_t, fields::kMeasurementWords>& words,
                               int32_t pitchNm, float scale) {
  cli::JsonObject object;
  object.Add("seq", static_cast<int64_t>(stamp.sequence))
      .Add("time", UtcTime(stamp.unixMicroseconds))
      .Add("time_ms", stamp.milliseconds);
  for (int i = 0; i < fields::kMeasurementWords; ++i)
    object.Add(fields::kMeasurement[i].name, static_cast<int>(words[i]));
  const uint16_t value = words[fields::kMeasuredValue];
  object.Add("value_um", fields::Micrometres(fields::kMeasurement[fields::kMeasuredValue], value,
                                             pitchNm, scale));
  object.Add("inside",
             watch::InsideBand(value, words[fields::kTeachValue], words[fields::kTolerance]));
  return object.Text();
}

std::string IdentityPayload(const SensorIdentity& identity) {
  std::string ccd = fields::Latin1ToUtf8(protocol::CcdDescription(identity.ccdType));
  ccd.erase(0, ccd.find_first_not_of(' '));
  return cli::JsonObject()
      .Add("port", identity.port)
      .Add("device", identity.device)
      .Add("firmware", fields::Latin1ToUtf8(identity.firmware))
      .Add("ccd_type", static_cast<int>(identity.ccdType))
      .Add("ccd", ccd)
      .Add("pixels", static_cast<int>(identity.pixels))
      .Add("pixel_pitch_nm", fields::PixelPitchNm(identity.ccdType))
      .Text();
}

std::string ParametersPayload(const protocol::Words& parameters) {
  return cli::ParametersJson(parameters);
}

}  // namespace publish
