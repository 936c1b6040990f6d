// Send and verify: Send as the program does it, to the selected store, then
// that store read back; the status line says whether the sensor holds what
// was sent or which parameters differ.
#pragma once

namespace sets {

// Only for the sensor's RAM or EEPROM (the file store says so and sends
// nothing). When Send sent nothing (a value out of range, the EEPROM write not
// confirmed, the frame not queued whole), its own message stands and nothing
// is read back; nothing at all while another operation talks to the sensor.
// Returns true when the sensor holds what was sent.
bool SendAndVerify();

}  // namespace sets
