#include "sets/views/send_verify.h"

#include <string>

#include "app/program_face.h"
#include "sets/sensor/sensor_sets.h"
#include "sets/verify_text.h"

namespace sets {
namespace {

void Say(const std::string& text) {
  SayInStatusLine(text.c_str());
}

}  // namespace

bool SendAndVerify() {
  ParameterSnapshot program;
  GetParameterSnapshot(&program);
  if (program.selectedStore != STORE_RAM && program.selectedStore != STORE_EEPROM) {
    Say("Send and verify: select the sensor's RAM or EEPROM");
    return false;
  }
  // The send and its read-back are one operation: nothing comes between them.
  const SensorHold hold;
  if (!hold.held()) {
    Say("Send and verify not started: " + SensorHold::BusyText());
    return false;
  }
  const int32_t store = program.selectedStore;
  const char* name = store == STORE_EEPROM ? "EEPROM" : "RAM";
  // Send exactly as its button does it: the panels' values to the store.
  ParameterSet sent{};
  if (SendPanelsToStore(store, sent.data()) != EXCHANGE_ANSWERED) return false;
  SensorIdentity sensor;
  GetSensorIdentity(&sensor);
  ParameterSet held{};
  switch (ReadSensorStore(store, &held, true)) {
    case StoreReadResult::kRead:
      Say(VerifyText(name, sent, held, static_cast<uint16_t>(sensor.pixelLimit)));
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
