// Support for the engine's user-interface tests: callbacks that record every
// event (with optional per-control actions run inside the callback), a small
// resource with one control of each kind, and temporary files.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace uitest {

struct Event {
  int panel = 0, control = 0, event = 0;
};

// Every event delivered to RecordCtrl / RecordPanel (panel events have
// control 0), and markers tests add themselves (event < 0).
std::vector<Event>& Events();
void ClearEvents();
void Mark(int marker);
// Events of one control, in order.
std::vector<int> EventsOf(int control);

// Runs inside the callback, after the event is recorded.
using Hook = std::function<void(int panel, int control, int event)>;
void SetHook(int control, Hook hook);  // control 0: the panel callback
void ClearHooks();

// Registers RecordCtrl under "Rec" and RecordPanel under "RecPanel", and the
// real resource's callback names (all recording).
void RegisterRecorders();

// Controls of the test resource (panel 1 "Kinds"; panel 2 a child without a
// panel callback; panel 3 a second top-level panel with one).
enum KindsId {
  kCount = 1,    // numeric edit u16 0..1000, value 5
  kFactor = 2,   // numeric edit float 0.8..1.2, precision 3, value 1.0
  kReadout = 3,  // numeric indicator u16, with a callback
  kStart = 4,    // slide 0..1023, value 1
  kMode = 5,     // switch, value 0
  kRam = 6,      // radio, value 1
  kLamp = 7,     // LED indicator, no callback
  kHotLamp = 8,  // LED the operator switches
  kChoice = 9,   // ring: items 0, 1, 2; value 1
  kPort = 10,    // drop-down of the serial ports
  kGo = 11,      // command
  kStatus = 12,  // text
  kInfo = 13,    // textbox
  kScope = 14,   // graph with three cursors
  kPlain = 15,   // command without a callback
  kOffset = 16,  // numeric edit int -100..100
  kEeprom = 17,  // radio, value 0
  kCurve = 18,   // graph without cursors
};

// Path of the test resource (written once per process).
std::string KindsResource();
// Path of the program's real resource (PanelResourcePath()).
std::string RealResource();
// Writes `contents` to a new file in a private temporary directory.
std::string WriteTempFile(const std::string& name, const std::string& contents);
std::string TempDir();

// Loads panel 1 of the test resource, shows it and discards it at the end of
// the scope.
class KindsPanel {
 public:
  KindsPanel();
  ~KindsPanel();
  KindsPanel(const KindsPanel&) = delete;
  KindsPanel& operator=(const KindsPanel&) = delete;
  int handle() const { return handle_; }

 private:
  int handle_;
};

}  // namespace uitest
