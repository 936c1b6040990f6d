// Micrometre forms of pixel values for the numeric displays. Micrometres exist
// only on displays; every stored value stays in pixels.
#pragma once

#include <cstdint>

// (PPITCH x pixels) / 1000 in 32-bit signed arithmetic, truncated; low 16 bits.
// Edge positions and tolerances are shown this way, never scaled.
uint16_t MicrometresInt(uint16_t pixels);

// scaleF x PPITCH x pixels / 1000 in double precision (scaleF as the
// single-precision value it holds), truncated toward zero; low 16 bits.
// Measured and teach values are shown this way.
uint16_t MicrometresScaled(uint16_t pixels);
