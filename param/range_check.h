// The parameter range check: which values the sensor's parameter set accepts,
// and the replacement each parameter takes when it exceeds its range. Called
// wherever the panels are written from the variables.
#pragma once

#include <cstdint>

constexpr int PARA15 = 15;  // package index of the scale factor, in thousandths

// Each parameter with an accepted range that it exceeds (unsigned comparison)
// takes its replacement value. The pixel positions (eBeg, eEnd, tVal) are
// limited by the line's pixel count once it is known. Returns how many
// parameters it replaced.
int CheckParameterRanges();

// Lowest and highest value the range check accepts for package index `index`
// (0..PNUM-1); 0..0 for those it does not check.
void AcceptedRange(int index, uint16_t* low, uint16_t* high);

// The highest pixel position the range check and the controls accept: the
// line's pixel count once the sensor reported a usable one, 1024 before.
uint16_t PixelLimit();
