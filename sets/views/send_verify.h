// Send and verify: Send as the program does it, to the selected store, then
// that store read back; the status line says whether the sensor holds what
// was sent or which parameters differ.
#pragma once

namespace sets {

// Only for the sensor's RAM or EEPROM (the file store says so and sends
// nothing). When Send did not queue its whole frame, its own message stands
// and nothing is read back. Returns true when the sensor holds what was sent.
bool SendAndVerify();

}  // namespace sets
