#include "watch/recording_csv.h"

#include <string_view>

#include "fields/latin1.h"
#include "fields/micrometres.h"
#include "watch/csv_field.h"
#include "watch/run_statistics.h"

namespace watch {

namespace {

std::string Comment(std::string_view key, std::string_view value) {
  return "# " + CsvField(key) + "," + CsvField(value) + std::string(kCsvLineEnd);
}

}  // namespace

std::string RecordingHeader(const RecordingInfo& info) {
  std::string text = "# Vantrel recording" + std::string(kCsvLineEnd);
  text += Comment("started", info.started);
  text += Comment("port", info.port);
  text += Comment("device", info.device);
  text += Comment("firmware", fields::Latin1ToUtf8(info.firmware));
  text += Comment("CCD", fields::Latin1ToUtf8(info.ccd));
  text += Comment("pixel pitch nm", std::to_string(info.pitchNm));
  for (int i = 0; i < fields::kParameterWords; ++i) {
    text += Comment(fields::kParameters[i].name, std::to_string(info.parameters[i]));
  }
  text += "time_ms";
  for (const fields::Word& word : fields::kMeasurement) {
    text += ',';
    text += word.name;
  }
  return text + ",value_um,inside" + std::string(kCsvLineEnd);
}

std::string RecordingRow(int64_t milliseconds,
                         const std::array<uint16_t, fields::kMeasurementWords>& words,
                         int32_t pitchNm, float scale) {
  std::string text = std::to_string(milliseconds);
  for (const uint16_t word : words) text += "," + std::to_string(word);
  const uint16_t value = words[fields::kMeasuredValue];
  text += "," + std::to_string(fields::Micrometres(fields::kMeasurement[fields::kMeasuredValue],
                                                   value, pitchNm, scale));
  const bool inside = InsideBand(value, words[fields::kTeachValue], words[fields::kTolerance]);
  return text + (inside ? ",1" : ",0") + std::string(kCsvLineEnd);
}

}  // namespace watch
