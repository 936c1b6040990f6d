// The values the sensor accepts for each of the 16 words of its parameter set,
// in package order, and the value that replaces one outside its range. One
// table for every place that takes, shows or sends a set: typed entry, the
// sets read from the sensor or a file, backup and restore, the read-back of
// a write, the command line. Pure: no Qt, no program state.
//
// The three pixel positions (evaluation from and to, teach value) are
// accepted up to the line's pixel count, which the caller passes as
// `pixelLimit` (1..1024; 1024 while the line is unknown).
#pragma once

#include <cstdint>
#include <string>

namespace protocol {

constexpr int kParameterCount = 16;
constexpr uint16_t kLongestLine = 1024;  // pixels of the longer of the known lines

struct ParameterWord {
  const char* name;   // the word's name in the code: "eMode"
  const char* label;  // the label of its control on the panels: "Evaluation mode"
  uint16_t low;
  uint16_t high;         // for a pixel position: the pixel limit instead
  uint16_t replacement;  // for a pixel position: at most the pixel limit
  bool pixelPosition;
  bool clamped;  // a value outside takes the nearer limit (the scale factor)
};

// Package order: power, pwrMode, vThd, bVal, polarity, eMode, eBeg, eEnd, tVal,
// tTol, iGain, ePoti, ccdMode, pStart, bMode, para15. The modes accept the
// values their panel rings offer.
inline constexpr ParameterWord kParameterWords[kParameterCount] = {
    {"power", "Power", 0, 1000, 500, false, false},
    {"pwrMode", "Power mode", 0, 1, 0, false, false},
    {"vThd", "Video threshold", 0, 1023, 512, false, false},
    {"bVal", "Background value", 0, 1023, 60, false, false},
    {"polarity", "Polarity", 0, 1, 1, false, false},
    {"eMode", "Evaluation mode", 0, 3, 3, false, false},
    {"eBeg", "Evaluation from pixel", 0, kLongestLine, 1, true, false},
    {"eEnd", "Evaluation to pixel", 0, kLongestLine, kLongestLine, true, false},
    {"tVal", "Teach value", 0, kLongestLine, 512, true, false},
    {"tTol", "Tolerance", 0, 512, 128, false, false},
    {"iGain", "Video gain", 0, 1, 0, false, false},
    {"ePoti", "Tolerance from", 0, 1, 1, false, false},
    {"ccdMode", "CCD mode", 0, 2, 0, false, false},
    {"pStart", "Pixel start", 0, 1023, 1, false, false},
    {"bMode", "Background mode", 0, 2, 0, false, false},
    {"para15", "Scale factor", 800, 1200, 1000, false, true},
};

constexpr int kEvaluationFrom = 6;  // package index of eBeg
constexpr int kEvaluationTo = 7;    // package index of eEnd

// Lowest and highest accepted value of word `index` (0..15).
uint16_t LowestAccepted(int index);
uint16_t HighestAccepted(int index, uint16_t pixelLimit);
bool Accepted(int index, uint16_t value, uint16_t pixelLimit);
// `value` when accepted, else the value that replaces it, always accepted:
// the scale factor takes its nearer limit, every other word its replacement
// (the evaluation's end the pixel limit, the other positions no more than it).
uint16_t Replacement(int index, uint16_t value, uint16_t pixelLimit);

// The words of `words` (16) outside their ranges, named by label with their
// range: "Evaluation mode 9 (0..3), Background mode 7 (0..2)"; empty when
// every word is accepted.
std::string OutOfRangeText(const uint16_t* words, uint16_t pixelLimit);
// 1 when the evaluation window runs forward: from <= to.
bool WindowRunsForward(uint16_t from, uint16_t to);

// What writing `after` over `before` changes, one word a line by label:
// "Power: 500 -> 640". Empty when both sets are equal.
std::string ChangesText(const uint16_t* before, const uint16_t* after);
// `words` one a line by label: "Power: 640".
std::string ValuesText(const uint16_t* words);

}  // namespace protocol
