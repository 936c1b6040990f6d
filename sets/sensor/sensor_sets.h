// The parameter sets the program can show without taking them over: the
// sensor's RAM and EEPROM read through the program's own reply wait, and the
// values on the panels, each left beside the program's variables, package and
// panels, which keep what they held.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sets {

using ParameterSet = std::array<uint16_t, 16>;  // package order

enum class StoreReadResult {
  kRead,            // the set came back
  kNoAnswer,        // no answering frame within the reply wait (or nothing could be sent)
  kOtherOperation,  // another operation talks to the sensor: nothing was sent
};

// Holds the sensor for the parameter sets' exchanges while it lives (the
// one-operation rule, app/sensor_operation.h): taken when nothing talks to the
// sensor, and ended when it goes. A command (Compare's reads, send and verify,
// backup, restore) takes it whole; one exchange of such a command
// (`withinCommand`) goes on inside the command's hold. Not held while another
// operation talks to the sensor (a command started from inside another's
// wait, too): then nothing is sent.
class SensorHold {
 public:
  explicit SensorHold(bool withinCommand = false);
  ~SensorHold();
  SensorHold(const SensorHold&) = delete;
  SensorHold& operator=(const SensorHold&) = delete;
  bool held() const { return held_; }
  // What holds the sensor instead: "the sensor is busy with Run".
  static std::string BusyText();

 private:
  bool taken_ = false;
  bool held_ = false;
};

// Reads the sensor's RAM (`store` RAM) or EEPROM (EEPROM) with order 2 or 4:
// both queues flushed, the request built from the package as it stands, the
// reply taken by the receive notification within the usual 1.5 s. The
// package, the frame buffers, the order and the reply flags are put back as
// they were, so the program's next exchange finds what it left; the
// parameter variables and the panels are never touched. Processes events
// while it waits (callbacks run nested, as in every reply wait).
// `afterWrite`: a write was just queued and must reach the sensor first, so
// the output queue is not flushed (only the input queue is). Nothing is sent
// while another operation talks to the sensor (SensorHold).
StoreReadResult ReadSensorStore(int32_t store, ParameterSet* set, bool afterWrite = false);

// Writes `set` to the sensor's RAM or EEPROM (order 1 or 3, no reply), with
// the program's package, variables, panels and frame buffers left as they
// were. False when another operation talks to the sensor (nothing sent) or the
// whole frame could not be queued.
bool WriteSensorStore(int32_t store, const ParameterSet& set);

// A parameter file read as Get reads it (16 unsigned decimals, the low 16 bits
// of each) into `set` alone. False with the reason ("line 3: ...") when it
// cannot be read; `set` then stays as it was.
bool ReadParameterFile(const char* path, ParameterSet* set, std::string* reason);

// The values on the panels as a parameter set, read the way Send reads them
// (nothing limited, the scale factor as thousandths), the variables unchanged.
ParameterSet PanelParameterSet();

}  // namespace sets
