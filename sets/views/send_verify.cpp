#include "sets/views/send_verify.h"

#include <string>

#include "display/controls.h"
#include "link/frame.h"
#include "link/port.h"
#include "param/range_check.h"
#include "param/transfer.h"
#include "runtime/userint.h"
#include "sets/sensor/sensor_sets.h"
#include "sets/verify_text.h"

namespace sets {
namespace {

void Say(const std::string& text) {
  SetCtrlVal(panelHandle, TEXT_Status, text.c_str());
}

}  // namespace

bool SendAndVerify() {
  if (target != RAM && target != EEPROM) {
    Say("Send and verify: select the sensor's RAM or EEPROM");
    return false;
  }
  // The send and its read-back are one operation: nothing comes between them.
  const SensorHold hold;
  if (!hold.held()) {
    Say("Send and verify not started: " + SensorHold::BusyText());
    return false;
  }
  const int32_t store = target;
  const char* name = store == EEPROM ? "EEPROM" : "RAM";
  // Send exactly as its button does it: the panels' values to the store.
  if (SendPanelSet(store) != 1) return false;
  ParameterSet sent{};
  for (int i = 0; i < PNUM; ++i) sent[static_cast<size_t>(i)] = WordAt(szWriteBuf, 4 + 2 * i);
  ParameterSet held{};
  switch (ReadSensorStore(store, &held, true)) {
    case StoreReadResult::kRead:
      Say(VerifyText(name, sent, held, PixelLimit()));
      return held == sent;
    case StoreReadResult::kNoAnswer:
      Say(std::string("Sent to ") + name + "; the read-back got no answer");
      return false;
    case StoreReadResult::kOtherOperation:
      Say(std::string("Sent to ") + name + "; not read back: " + SensorHold::BusyText());
      return false;
  }
  return false;
}

}  // namespace sets
