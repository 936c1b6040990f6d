// The words the sensor exchanges, in one table: the 16 parameter words in
// package order and the 9 measurement words of a Measure reply in frame order.
// The recording, the video export, the line monitor and the parameter views
// name, label and convert the words from here. Pure: no Qt, no program state.
#pragma once

#include <cstdint>
#include <string>

namespace fields {

// How a word has a micrometre form (see micrometres.h): none, pixels x pitch,
// or pixels x pitch x scale factor (the measured and the teach value).
enum class MicrometreRule { kNone, kPitch, kPitchScaled };

struct Word {
  const char* name;   // the word's name in the code: "vThd", "edge1"
  const char* label;  // what the operator reads: the panel control's label
  const char* unit;   // "pixel", "counts", "1/1000", or "" for switches, modes and counts
  MicrometreRule micrometres;
};

constexpr int kParameterWords = 16;
constexpr int kMeasurementWords = 9;

// power, pwrMode, vThd, bVal, polarity, eMode, eBeg, eEnd, tVal, tTol, iGain,
// ePoti, ccdMode, pStart, bMode, para15.
extern const Word kParameters[kParameterWords];

// edge1, edge2, value, teach, tolerance, pix1, edcnt, mvstart, mvend: the
// words 0..8 of a Measure reply, as the scope reads them.
extern const Word kMeasurement[kMeasurementWords];

// What parameter `index`'s value means, in the panels' words: "second edge"
// for the evaluation mode 1, "auto" for the power mode 1, "1.000" for the
// scale factor 1000. Empty for a word that is a number of its own (a
// position, a level) and for a code that means nothing to the sensor.
std::string Meaning(int index, uint16_t value);

// The value with its meaning beside it, as the views of a set show it:
// "1 (second edge)", "1000 (1.000)", or "512" alone.
std::string ValueWithMeaning(int index, uint16_t value);

// Measurement word indices the band and the read-outs need.
constexpr int kMeasuredValue = 2;
constexpr int kTeachValue = 3;
constexpr int kTolerance = 4;

}  // namespace fields
