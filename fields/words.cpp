#include "fields/words.h"

#include <cstdio>

#include "protocol/parameter_ranges.h"

namespace fields {

namespace {
// The parameter words' names and labels are the range table's, which names
// them in the program's own texts too.
constexpr const char* Name(int i) {
  return protocol::kParameterWords[i].name;
}
constexpr const char* Label(int i) {
  return protocol::kParameterWords[i].label;
}
}  // namespace

// Labels are those of the panel controls that show the word; a word no
// control shows (the window start, the edge count, the end levels) gets a
// plain one.
const Word kParameters[kParameterWords] = {
    {Name(0), Label(0), "", MicrometreRule::kNone},
    {Name(1), Label(1), "", MicrometreRule::kNone},
    {Name(2), Label(2), "counts", MicrometreRule::kNone},
    {Name(3), Label(3), "counts", MicrometreRule::kNone},
    {Name(4), Label(4), "", MicrometreRule::kNone},
    {Name(5), Label(5), "", MicrometreRule::kNone},
    {Name(6), Label(6), "pixel", MicrometreRule::kPitch},
    {Name(7), Label(7), "pixel", MicrometreRule::kPitch},
    {Name(8), Label(8), "pixel", MicrometreRule::kPitchScaled},
    {Name(9), Label(9), "pixel", MicrometreRule::kPitch},
    {Name(10), Label(10), "", MicrometreRule::kNone},
    {Name(11), Label(11), "", MicrometreRule::kNone},
    {Name(12), Label(12), "", MicrometreRule::kNone},
    {Name(13), Label(13), "pixel", MicrometreRule::kPitch},
    {Name(14), Label(14), "", MicrometreRule::kNone},
    {Name(15), Label(15), "1/1000", MicrometreRule::kNone},
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
