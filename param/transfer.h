// Moving the parameter set between the panels and the three stores: the
// sensor's RAM, its EEPROM and a parameter file.
#pragma once

#include <cstdint>

constexpr int32_t RAM = 1;
constexpr int32_t EEPROM = 2;
constexpr int32_t DATFILE = 3;

extern int32_t target;  // the selected store

// Reads the store into the variables when it is the sensor's RAM or EEPROM
// (order 2 or 4, reply wait of 1.5 s), then sets the unit switch to pixels,
// writes the variables to the panels and shows the outcome. For DATFILE only the
// panels are refreshed. Processes events while it waits; callbacks run nested.
void PushGET(int32_t store);
