// Micrometre forms of pixel values, by the rule the program's read-outs use.
// Micrometres exist only on displays and in exports; every stored value stays
// in pixels.
#pragma once

#include <cstdint>

#include "fields/words.h"

namespace fields {

// Pixel pitch in nanometres by the CCD type the sensor reported: 25000 for
// types 2 and 3 (the 25 um lines), 7800 otherwise (type 1, unknown, none yet).
int32_t PixelPitchNm(int ccdType);

// pitchNm x pixels / 1000 in integers, truncated. Edge positions and the
// tolerance are converted this way, never scaled.
int32_t MicrometresInt(uint16_t pixels, int32_t pitchNm);

// scale x pitchNm x pixels / 1000 in double precision (scale as the
// single-precision factor the program holds: 1 unless the evaluation mode is
// 2), truncated toward zero; 0 for a factor that gives no finite result.
// The measured and the teach value are converted this way.
int64_t MicrometresScaled(uint16_t pixels, int32_t pitchNm, float scale);

// A word's micrometre form by its rule in the table; `pixels` itself for a
// word that has none.
int64_t Micrometres(const Word& word, uint16_t pixels, int32_t pitchNm, float scale);

}  // namespace fields
