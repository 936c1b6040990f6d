// The scope graph's picture of the latest measurement and the measurement
// words it keeps.
#pragma once

#include <cstdint>

extern uint16_t pix1;     // first pixel of the window shown (reported, or pStart in mode 1)
extern uint16_t edcnt;    // number of edges in the last measurement
extern uint16_t mvstart;  // video level at the start of the window
extern uint16_t mvend;    // video level at the end of the window

// Draws the measurement reply that pp holds: the five read-outs (pixels or
// micrometres by the unit switch), the copies into tVal, tTol, pix1, edcnt,
// mvstart and mvend, the scope's visible range, cursor 1 at the evaluated
// position, the red edge bars and the green tolerance band or bands. Every
// plot of the scope is replaced; cursors keep their places unless moved here.
void PlotRAWValues();
