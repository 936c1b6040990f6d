#include "sets/views/send_verify.h"

#include <string>

#include "display/controls.h"
#include "link/frame.h"
#include "link/port.h"
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
  const int32_t store = target;
  const char* name = store == EEPROM ? "EEPROM" : "RAM";
  // Send exactly as its button does it: the panels' values to the store.
  CC_BTNSend(panelHandle, BTNSend, UI_EVENT_LEFT_PRESS, nullptr, 0, 0);
  if (nBytesW != FRAME_LEN) return false;
  ParameterSet sent{};
  for (int i = 0; i < PNUM; ++i) sent[static_cast<size_t>(i)] = WordAt(szWriteBuf, 4 + 2 * i);
  ParameterSet held{};
  switch (ReadSensorStore(store, &held, true)) {
    case StoreReadResult::kRead:
      Say(VerifyText(name, sent, held));
      return held == sent;
    case StoreReadResult::kNoAnswer:
      Say(std::string("Sent to ") + name + "; the read-back got no answer");
      return false;
    case StoreReadResult::kLoopRuns:
      Say(std::string("Sent to ") + name + "; not read back while a loop runs");
      return false;
  }
  return false;
}

}  // namespace sets
