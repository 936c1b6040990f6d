#include "cli/results.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "fields/latin1.h"
#include "fields/micrometres.h"
#include "fields/words.h"
#include "protocol/ccd.h"
#include "watch/run_statistics.h"

namespace cli {
namespace {

// "Evaluation to pixel, pixel": the control's label and the word's unit.
std::string Label(const fields::Word& word) {
  std::string label = word.label;
  if (word.unit[0] != '\0') label += std::string(", ") + word.unit;
  return label;
}

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width - std::min(width, text.size()), ' ');
}

}  // namespace

std::string ParametersJson(const protocol::Words& words) {
  JsonObject object;
  for (int i = 0; i < fields::kParameterWords; ++i)
    object.Add(fields::kParameters[i].name, words[i]);
  return object.Text();
}

std::string CompareText(const std::string& aName, const protocol::Words& a,
                        const std::string& bName, const protocol::Words& b) {
  std::vector<int> differing;
  for (int i = 0; i < fields::kParameterWords; ++i) {
    if (a[i] != b[i]) differing.push_back(i);
  }
  if (differing.empty()) return aName + " and " + bName + " hold the same 16 parameters\n";
  size_t nameWidth = 9, labelWidth = 5, aWidth = aName.size();
  for (const int i : differing) {
    nameWidth = std::max(nameWidth, std::string(fields::kParameters[i].name).size());
    labelWidth = std::max(labelWidth, Label(fields::kParameters[i]).size());
    aWidth = std::max(aWidth, fields::ValueWithMeaning(i, a[i]).size());
  }
  std::string text = Padded("parameter", nameWidth) + "  " + Padded("label", labelWidth) + "  " +
                     Padded(aName, aWidth) + "  " + bName + "\n";
  for (const int i : differing) {
    text += Padded(fields::kParameters[i].name, nameWidth) + "  " +
            Padded(Label(fields::kParameters[i]), labelWidth) + "  " +
            Padded(fields::ValueWithMeaning(i, a[i]), aWidth) + "  " +
            fields::ValueWithMeaning(i, b[i]) + "\n";
  }
  return text;
}

void AddCompareJson(JsonObject* object, const std::string& aName, const protocol::Words& a,
                    const std::string& bName, const protocol::Words& b) {
  std::vector<std::string> differences;
  for (int i = 0; i < fields::kParameterWords; ++i) {
    if (a[i] == b[i]) continue;
    const fields::Word& word = fields::kParameters[i];
    differences.push_back(JsonObject()
                              .Add("name", word.name)
                              .Add("label", word.label)
                              .Add("unit", word.unit)
                              .Add("a", a[i])
                              .Add("a_meaning", fields::Meaning(i, a[i]))
                              .Add("b", b[i])
                              .Add("b_meaning", fields::Meaning(i, b[i]))
                              .Text());
  }
  object->Add("a", aName).Add("b", bName).Add("same", differences.empty());
  object->AddRaw("differences", JsonArray(differences));
}

std::string IdentityText(const Identity& identity) {
  const int32_t pitchNm = fields::PixelPitchNm(identity.ccdType);
  char pitch[32];
  std::snprintf(pitch, sizeof pitch, "%.1f um", pitchNm / 1000.0);
  std::string ccd = fields::Latin1ToUtf8(protocol::CcdDescription(identity.ccdType));
  ccd.erase(0, ccd.find_first_not_of(' '));
  return "firmware: " + fields::Latin1ToUtf8(identity.firmware) + "\n" +
         "ccd type: " + std::to_string(identity.ccdType) + "\n" + "ccd: " + ccd + "\n" +
         "pixels: " + std::to_string(identity.pixels) + "\n" + "pixel pitch: " + pitch + "\n";
}

void AddIdentityJson(JsonObject* object, const Identity& identity) {
  std::string ccd = fields::Latin1ToUtf8(protocol::CcdDescription(identity.ccdType));
  ccd.erase(0, ccd.find_first_not_of(' '));
  object->Add("firmware", fields::Latin1ToUtf8(identity.firmware))
      .Add("ccd_type", identity.ccdType)
      .Add("ccd", ccd)
      .Add("pixels", identity.pixels)
      .Add("resolution", identity.resolution)
      .Add("pixel_pitch_nm", fields::PixelPitchNm(identity.ccdType));
}

std::string MeasurementJson(int64_t milliseconds,
                            const std::array<uint16_t, fields::kMeasurementWords>& words,
                            int32_t pitchNm, float scale) {
  JsonObject row;
  row.Add("time_ms", milliseconds);
  for (int i = 0; i < fields::kMeasurementWords; ++i)
    row.Add(fields::kMeasurement[i].name, words[i]);
  const fields::Word& value = fields::kMeasurement[fields::kMeasuredValue];
  row.Add("value_um", fields::Micrometres(value, words[fields::kMeasuredValue], pitchNm, scale));
  row.Add("inside", watch::InsideBand(words[fields::kMeasuredValue], words[fields::kTeachValue],
                                      words[fields::kTolerance]));
  return row.Text();
}

std::string RequestHex(int order, const protocol::Words& words) {
  std::string text;
  for (const uint8_t byte : protocol::EncodeRequest(order, words)) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    text += (text.empty() ? "" : " ") + std::string(hex);
  }
  return text;
}

}  // namespace cli
