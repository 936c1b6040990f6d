#include "fields/words.h"

#include <cstdio>

namespace fields {

// Labels are those of the panel controls that show the word; a word no
// control shows (the window start, the edge count, the end levels) gets a
// plain one.
const Word kParameters[kParameterWords] = {
    {"power", "Power", "", MicrometreRule::kNone},
    {"pwrMode", "Power mode", "", MicrometreRule::kNone},
    {"vThd", "Video threshold", "counts", MicrometreRule::kNone},
    {"bVal", "Background value", "counts", MicrometreRule::kNone},
    {"polarity", "Polarity", "", MicrometreRule::kNone},
    {"eMode", "Evaluation mode", "", MicrometreRule::kNone},
    {"eBeg", "Evaluation from pixel", "pixel", MicrometreRule::kPitch},
    {"eEnd", "Evaluation to pixel", "pixel", MicrometreRule::kPitch},
    {"tVal", "Teach value", "pixel", MicrometreRule::kPitchScaled},
    {"tTol", "Tolerance", "pixel", MicrometreRule::kPitch},
    {"iGain", "Video gain", "", MicrometreRule::kNone},
    {"ePoti", "Tolerance from", "", MicrometreRule::kNone},
    {"ccdMode", "CCD mode", "", MicrometreRule::kNone},
    {"pStart", "Pixel start", "pixel", MicrometreRule::kPitch},
    {"bMode", "Background mode", "", MicrometreRule::kNone},
    {"para15", "Scale factor", "1/1000", MicrometreRule::kNone},
};

const Word kMeasurement[kMeasurementWords] = {
    {"edge1", "First edge", "pixel", MicrometreRule::kPitch},
    {"edge2", "Second edge", "pixel", MicrometreRule::kPitch},
    {"value", "Measured value", "pixel", MicrometreRule::kPitchScaled},
    {"teach", "Teach value", "pixel", MicrometreRule::kPitchScaled},
    {"tolerance", "Tolerance", "pixel", MicrometreRule::kPitch},
    {"pix1", "Window start", "pixel", MicrometreRule::kPitch},
    {"edcnt", "Edge count", "", MicrometreRule::kNone},
    {"mvstart", "Level at window start", "counts", MicrometreRule::kNone},
    {"mvend", "Level at window end", "counts", MicrometreRule::kNone},
};

namespace {

// The codes of the switches and modes, by parameter index: the words of their
// controls on the panels (switch states, ring and drop-down items).
struct Codes {
  int index;
  const char* words[4];  // by value; nullptr past the last
};
constexpr Codes kCodes[] = {
    {1, {"fixed", "auto"}},
    {4, {"negative", "positive"}},
    {5, {"first edge", "second edge", "width x scale factor", "centre of both edges"}},
    {10, {"low", "high"}},
    {11, {"panel", "sensor"}},
    {12, {"whole line", "window from pixel start", "window chosen by sensor"}},
    {14, {"off", "fixed value", "taught background"}},
};
constexpr int kScaleFactor = 15;

}  // namespace

std::string Meaning(int index, uint16_t value) {
  if (index == kScaleFactor) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%03u", value / 1000u, value % 1000u);
    return text;
  }
  for (const Codes& codes : kCodes) {
    if (codes.index != index) continue;
    if (value < 4 && codes.words[value] != nullptr) return codes.words[value];
  }
  return {};
}

std::string ValueWithMeaning(int index, uint16_t value) {
  const std::string meaning = Meaning(index, value);
  return meaning.empty() ? std::to_string(value) : std::to_string(value) + " (" + meaning + ")";
}

}  // namespace fields
