// Moving the parameter set between the panels' controls and the variables.
#pragma once

// Reads every parameter control of both panels into its variable; the scale
// factor becomes para15 in thousandths. Nothing is limited.
void GetPanelValues();

// Replaces every out-of-range parameter by its replacement value, writes all
// parameters to both panels (the teach value and tolerance displays in pixels),
// redraws the threshold line, adds the grey window frame to the scope and
// undims the controls the values call for. Each replaced value's control is
// marked with a note of what valueSource held (marks of an earlier call are
// removed first), and rangeReplaced counts them. Processes no events.
void SetPanelValues();

#include <cstdint>

extern int32_t rangeReplaced;  // parameters the last SetPanelValues replaced
// Where the values of the next SetPanelValues came from, for the notes on the
// values it has to replace ("From the sensor's RAM", "From the file", ...).
extern char valueSource[32];

// The range check alone: each parameter with an accepted range that it exceeds
// (unsigned comparison) takes its replacement value. The pixel positions
// (eBeg, eEnd, tVal) are limited by the line's pixel count once it is known.
// Returns how many parameters it replaced.
int CheckParameterRanges();

// The highest pixel position the range check and the controls accept: the
// line's pixel count once the sensor reported a usable one, 1024 before.
uint16_t PixelLimit();
// Makes the pixel-position controls (edge limits, teach value) accept exactly
// 0..PixelLimit().
void ApplyPixelLimit();
