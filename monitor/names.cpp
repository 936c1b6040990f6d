#include "monitor/frame_decode.h"

namespace monitor {

const char* const kParameterNames[16] = {
    "power", "pwrMode", "vThd",  "bVal",  "polarity", "eMode",  "eBeg",  "eEnd",
    "tVal",  "tTol",    "iGain", "ePoti", "ccdMode",  "pStart", "bMode", "para15"};

}  // namespace monitor
