// Micrometre forms of pixel values for the numeric displays. Micrometres exist
// only on displays; every stored value stays in pixels.
#pragma once

#include <cstdint>

// Pixel pitch of the sensor's line in nanometres, by the CCD type it reported:
// 25000 for types 2 and 3, otherwise (type 1, unknown, none yet) PPITCH 7800.
int32_t PixelPitch();

// (PixelPitch() x pixels) / 1000 in 32-bit signed arithmetic, truncated; low 16 bits.
// Edge positions and tolerances are shown this way, never scaled.
uint16_t MicrometresInt(uint16_t pixels);

// scaleF x PixelPitch() x pixels / 1000 in double precision (scaleF as the
// single-precision value it holds), truncated toward zero; low 16 bits.
// Measured and teach values are shown this way.
uint16_t MicrometresScaled(uint16_t pixels);
