// The data graph: the CCD video line against the video threshold.
#pragma once

#include <cstdint>

#include "link/data_block.h"  // VIDEO_SAMPLES

extern uint16_t xArray[VIDEO_SAMPLES];    // pixel position of each video sample
extern uint16_t thdArray[VIDEO_SAMPLES];  // the threshold, one value in every entry

// Redraws GRAPH_Data: the 256 samples and the threshold line against xArray.
// Never touches the x axis.
void PlotDATACurve(const uint16_t* samples);

// Sets the data graph's x axis and xArray for the current CCD mode: the whole
// line (every 4th pixel of a 1024-pixel line, every 2nd otherwise) in mode 0,
// the 256-pixel window from pix1 in any other mode.
void ApplyXAxisRule();
// The window row of that rule alone.
void ApplyWindowXAxis();

// Sets every entry of thdArray to `threshold`.
void SetThresholdArray(uint16_t threshold);
