// The parameter range check: the values the sensor accepts for each parameter
// (protocol/parameter_ranges.h, with the line's pixel count) and the value
// that replaces one outside them. Called wherever the panels are written from
// the variables.
#pragma once

#include <cstdint>

constexpr int PARA15 = 15;  // package index of the scale factor, in thousandths

// Each parameter outside its accepted range (unsigned comparison) takes its
// replacement, which is always accepted; the CCD and background modes
// included. The pixel positions (eBeg, eEnd, tVal) are limited by the line's
// pixel count once it is known. Returns how many parameters it replaced.
int CheckParameterRanges();

// Lowest and highest value the range check accepts for package index `index`
// (0..PNUM-1).
void AcceptedRange(int index, uint16_t* low, uint16_t* high);

// The highest pixel position the range check and the controls accept: the
// line's pixel count once the sensor reported a usable one, 1024 before.
uint16_t PixelLimit();
