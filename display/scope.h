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

// The picture of a parameter set while no measurement is shown: every plot
// deleted, the grey window frame (x 0 to 1023 in CCD mode 0, else the 256
// pixels from pStart), the green band from teach - tolerance to teach +
// tolerance over it, cursor 1 at the teach value, cursors 2 and 3 at the
// evaluation limits `from` and `to`, all cursors at height 1. The frame
// follows ccdMode and pStart.
void PlotSetOnScope(uint16_t teach, uint16_t tolerance, uint16_t from, uint16_t to);
