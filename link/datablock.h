// The sensor's video line, read in blocks of 64 words.
#pragma once

#include <cstdint>

#include "display/datacurve.h"

extern uint16_t adcbuf[VIDEO_SAMPLES];  // video samples; block k fills words 64k..64k+63
extern int32_t ref_flag;                // last-block flag of the latest block read
