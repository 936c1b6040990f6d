// How the serial channel hands its records to the serial tap. Each call costs
// one test of a pointer when no tap is installed.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <cstdint>

#include "runtime/serial_tap.h"
#include "runtime/utility.h"

bool SerialTapOn();
// Stamps the record with Timer() and passes it to the tap, if one is installed.
void TapSerial(int port, SerialTapKind kind, const uint8_t* bytes = nullptr, int count = 0,
               int value = 0, const char* text = "");
