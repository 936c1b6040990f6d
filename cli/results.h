// The results of vantrel-cli's commands as text and as JSON fields: the
// parameter set by name, the differences between two sets, the sensor's
// identity, the request a dry run would send. Pure: words in, text out.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "cli/json.h"
#include "fields/words.h"
#include "protocol/frame.h"

namespace cli {

// {"power":500,"pwrMode":0,...} in package order.
std::string ParametersJson(const protocol::Words& words);

// Two sets side by side: a header naming them, then one row a differing
// parameter with its name, its label and unit, and both values each with its
// meaning ("1 (second edge)"); a line saying they hold the same 16
// parameters when none differs.
std::string CompareText(const std::string& aName, const protocol::Words& a,
                        const std::string& bName, const protocol::Words& b);
// "a", "b", "same" and "differences":
// [{"name","label","unit","a","a_meaning","b","b_meaning"}] ("" no meaning).
void AddCompareJson(JsonObject* object, const std::string& aName, const protocol::Words& a,
                    const std::string& bName, const protocol::Words& b);

struct Identity {
  std::string firmware;  // the firmware text, Latin-1 as the sensor sent it
  uint16_t ccdType = 0, pixels = 0, resolution = 0;
};
// "firmware: ...", "ccd type: 1", "ccd: <description>", "pixels: 1024",
// "pixel pitch: 7.8 um", one a line, the firmware first.
std::string IdentityText(const Identity& identity);
void AddIdentityJson(JsonObject* object, const Identity& identity);

// One measurement frame as a JSON object with the columns of the desktop
// program's recording (watch/recording_csv.h): time_ms, the nine measurement
// words by name, value_um and inside.
std::string MeasurementJson(int64_t milliseconds,
                            const std::array<uint16_t, fields::kMeasurementWords>& words,
                            int32_t pitchNm, float scale);

// The request frame `order` with `words` as it would go on the line: 36 bytes
// in hex, two digits each, separated by spaces.
std::string RequestHex(int order, const protocol::Words& words);

}  // namespace cli
