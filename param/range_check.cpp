#include "param/range_check.h"

#include "link/sensor_info.h"
#include "param/params.h"
#include "protocol/parameter_ranges.h"

uint16_t PixelLimit() {
  return (ccdmaxpixel >= 1 && ccdmaxpixel <= protocol::kLongestLine) ? ccdmaxpixel
                                                                     : protocol::kLongestLine;
}

void AcceptedRange(int index, uint16_t* low, uint16_t* high) {
  *low = protocol::LowestAccepted(index);
  *high = protocol::HighestAccepted(index, PixelLimit());
}

int CheckParameterRanges() {
  int replaced = 0;
  for (int i = 0; i < PNUM; ++i) {
    uint16_t* value = ParameterVariable(i);
    const uint16_t accepted = protocol::Replacement(i, *value, PixelLimit());
    replaced += accepted != *value ? 1 : 0;
    *value = accepted;
  }
  return replaced;
}
