// What the sensor search found on one port, in the operator's words, and what
// the status line says of the whole search. Pure.
#pragma once

#include <string>
#include <vector>

namespace ports {

enum class Outcome {
  kProbing,       // the search on this port is under way
  kSensor,        // the line check found the reply sync
  kWrongSync,     // a whole reply, another sync
  kNoAnswer,      // nothing whole within the limit
  kBusy,          // another program holds the device (lock or exclusive open)
  kNoPermission,  // this user may not open the device
  kCannotOpen,    // any other failure to open; `reason` says which
  kInterrupted,   // the search was closed before this port had its answer
};

struct PortResult {
  Outcome outcome = Outcome::kProbing;
  std::string firmware;  // the firmware text when it could be read (UTF-8)
  std::string reason;    // why the device could not be opened
};

// "Sensor answers: <firmware text>" (or "Sensor answers (no firmware text)"),
// "Answers with a wrong sync", "No answer", "Busy", "No permission",
// "Cannot open: <reason>", "Interrupted", "Probing ...".
std::string ResultText(const PortResult& result);

// The status line after a search: "Find sensor: no sensor answers on the N
// ports probed", "Find sensor: a sensor answers on 1 of N ports",
// "Find sensor: sensors answer on K of N ports"; "Find sensor: no serial
// port to probe" when there was none. A search closed early says so and how
// far it came: "Find sensor interrupted after D of N ports: no sensor
// answered" (or ": a sensor answers on 1", ": sensors answer on K").
std::string SearchSummary(const std::vector<PortResult>& results);

// One port number's state, for choosing a number for a device that has none.
struct PortSlot {
  bool present = false;  // its device exists
  bool mapped = false;   // VANTREL_COM<n> or a mapping made in this session
};
// The first port number (1-based) whose device is absent and that nothing
// maps; 0 when every number is taken.
int FreePortNumber(const std::vector<PortSlot>& numbers);

}  // namespace ports
