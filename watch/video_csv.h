// The video line the data graph shows, as CSV: one record per sample.
// RFC 4180, CR LF line ends. docs/recording-format.md describes the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "protocol/orders.h"

namespace watch {

// Samples of the video line: four blocks of video words.
constexpr int kVideoSamples = 4 * protocol::kVideoBlockWords;

// "position,level,threshold", then for each sample i: positions[i] (the
// pixel the graph draws it at: the program's video line, by whatever x-axis
// rule made it), levels[i] (counts) and thresholds[i] (counts).
std::string VideoCsv(std::span<const uint16_t, kVideoSamples> positions,
                     std::span<const uint16_t, kVideoSamples> levels,
                     std::span<const uint16_t, kVideoSamples> thresholds);

}  // namespace watch
