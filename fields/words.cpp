#include "fields/words.h"

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

}  // namespace fields
