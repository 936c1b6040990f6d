#include "watch/video_csv.h"

#include "watch/csv_field.h"

namespace watch {

std::string VideoCsv(std::span<const uint16_t, kVideoSamples> positions,
                     std::span<const uint16_t, kVideoSamples> levels,
                     std::span<const uint16_t, kVideoSamples> thresholds) {
  std::string text = "position,level,threshold" + std::string(kCsvLineEnd);
  for (int i = 0; i < kVideoSamples; ++i) {
    text += std::to_string(positions[i]) + "," + std::to_string(levels[i]) + "," +
            std::to_string(thresholds[i]) + std::string(kCsvLineEnd);
  }
  return text;
}

}  // namespace watch
