// Moving the parameter set between the panels' controls and the variables.
#pragma once

// Reads every parameter control of both panels into its variable; the scale
// factor becomes para15 in thousandths. Nothing is limited.
void GetPanelValues();

// Replaces every out-of-range parameter by its replacement value, writes all
// parameters to both panels (the read-outs and pixel entries in the unit the
// switch chooses, pixels for every caller), redraws the threshold line, shows
// the set on the scope (PlotSetOnScope: window frame, band, cursors) and
// undims the controls the values call for (the background teach only while
// no operation talks to the sensor). Each replaced value's control is
// marked with a note of what valueSource held (marks of an earlier call are
// removed first), and rangeReplaced counts them. Processes no events.
void SetPanelValues();

#include <cstdint>

extern int32_t rangeReplaced;  // parameters the last SetPanelValues replaced
// Where the values of the next SetPanelValues came from, for the notes on the
// values it has to replace ("From the sensor's RAM", "From the file", ...).
extern char valueSource[32];

// Makes the numeric entries accept exactly what the sensor accepts
// (param/range_check.h): the pixel positions up to PixelLimit().
void ApplyEntryRanges();

// The evaluation window as the panels show it: kept by GetPanelValues,
// SetPanelValues and the edge entries that are taken. An entry that would run
// the window backwards is put back to it.
extern uint16_t windowFromShown;
extern uint16_t windowToShown;
