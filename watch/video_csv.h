// The video line the data graph shows, as CSV: one record per sample.
// RFC 4180, CR LF line ends. docs/recording-format.md describes the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/data_block.h"  // VIDEO_SAMPLES: a constant, nothing linked

namespace watch {

// "position,level,threshold", then for each sample i: positions[i] (the
// pixel the graph draws it at: the program's xArray, by whatever x-axis rule
// made it), levels[i] (adcbuf, counts) and thresholds[i] (thdArray, counts).
std::string VideoCsv(std::span<const uint16_t, VIDEO_SAMPLES> positions,
                     std::span<const uint16_t, VIDEO_SAMPLES> levels,
                     std::span<const uint16_t, VIDEO_SAMPLES> thresholds);

}  // namespace watch
