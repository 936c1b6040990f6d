// How the sensor turns a raw video line into what the PC sees: background
// correction, the readout window of the CCD modes, the 256 video samples and
// the measurement words.
//
// Lines are vectors of counts (0..1023), index 0 = pixel 1. Pixel numbers in
// the interface are 1-based, as on the PC.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/protocol.h"

namespace sim {

// Threshold crossings are judged with this much hysteresis (counts): the
// video must go below threshold - 3 to fall and above threshold + 3 to rise,
// so noise near the threshold does not make a burst of edges.
constexpr int kHysteresis = 3;

using Line = std::vector<uint16_t>;
using VideoLine = std::array<uint16_t, kVideoSamples>;

struct Transition {
  int pixel = 0;        // first pixel of the new state
  bool rising = false;  // dark -> bright
};

// Crossings of `threshold` between pixels `first` and `last` (inclusive);
// the state at `first` is "bright" when its level is >= threshold.
std::vector<Transition> FindTransitions(const Line& line, int first, int last, int threshold);

// Background mode 1: every level minus bVal (not below 0). Mode 2 with a taught
// background of the same length: flat-field correction, each level scaled by
// mean(background) / background[pixel], so the fall-off of the lighting and
// the pixels' deviations vanish. Mode 2 without a background and any other
// mode: the line unchanged.
Line CorrectBackground(const Line& raw, const Words& params, const Line& background);

// The background the sensor stores when taught: the raw line, with every
// stretch darker than `threshold` (an object in view while teaching) bridged
// by a straight line between the bright pixels on either side.
Line LearnBackground(const Line& raw, int threshold);

// CCD mode in force: 0, 1 or 2; other values act as 0 (whole line).
int EffectiveCcdMode(uint16_t ccd_mode);

// First pixel of the readout window. Mode 0: 1. Mode 1: pStart as given.
// Mode 2: the sensor's own choice, 256 pixels centred on the object found on
// the whole line (between its two edges, or on its one edge) and kept within
// the line; when no edge is found the previous choice stays.
int PickWindowStart(const Line& line, const Words& params, int previous);
// The window start mode 2 uses before it has found anything.
int InitialWindowStart(int pixels);

// The 256 video samples. Mode 0: every (pixels/256)-th pixel from pixel 1 (every
// 4th of 1024, every 2nd of 512): sample i = pixel step*i + 1. Modes 1 and 2:
// pixels window_start .. window_start + 255; pixels outside the line read 0.
VideoLine VideoSamples(const Line& line, int ccd_mode, int window_start);

// The measurement words for `line` with parameter set `params`:
//  0 first edge, 1 second edge (0 = not found), 2 measured value,
//  3 tVal, 4 tTol, 5 window start (1 in mode 0), 6 number of threshold
//  crossings in the evaluation window, 7/8 levels at the window's first and
//  last pixel, 9 in tolerance (1/0), 10/11 highest/lowest level in the window,
//  12 `counter`, 13 CCD mode in force, 14 and 15 zero.
// The evaluation window is eBeg..eEnd, limited to the line and, in modes 1
// and 2, to the readout window; an empty window finds nothing (words 0-2 and
// 6-11 are 0). Polarity 1 looks for a dark object: the first edge is the
// first falling crossing, the second the next rising one; polarity 0 the
// reverse. When only the second kind occurs (the object reaches in from
// before the window), that crossing is the first edge. Measured value: eMode
// 0 first edge, 1 second edge, 2 (second - first) x para15 / 1000 rounded,
// 3 (first + second) / 2; 0 when an edge it needs is missing or for other
// eModes.
Words MeasurementWords(const Line& line, const Words& params, int window_start, uint16_t counter);

}  // namespace sim
