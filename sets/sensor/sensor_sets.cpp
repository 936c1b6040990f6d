#include "sets/sensor/sensor_sets.h"

#include "app/program_face.h"
#include "protocol/orders.h"
#include "runtime/utility.h"

namespace sets {

SensorHold::SensorHold(bool withinCommand) {
  taken_ = ClaimSensor(OPERATION_PARAMETER_SETS) == 1;
  held_ = taken_ || (withinCommand && RunningOperation() == OPERATION_PARAMETER_SETS);
}

SensorHold::~SensorHold() {
  if (taken_) ReleaseSensor();
}

std::string SensorHold::BusyText() {
  return std::string("the sensor is busy with ") + OperationName(RunningOperation());
}

StoreReadResult ReadSensorStore(int32_t store, ParameterSet* set, bool afterWrite) {
  // The request carries the program's set, as its own reads do; the sensor
  // answers with the store's.
  ParameterSnapshot program;
  GetParameterSnapshot(&program);
  ParameterSet reply{};
  const uint16_t order = store == STORE_EEPROM ? protocol::kReadEeprom : protocol::kReadRam;
  switch (ExchangeWithSensor(order, program.set, reply.data(), afterWrite ? 1 : 0)) {
    case EXCHANGE_ANSWERED:
      *set = reply;
      return StoreReadResult::kRead;
    case EXCHANGE_BUSY:
      return StoreReadResult::kOtherOperation;
    default:
      return StoreReadResult::kNoAnswer;
  }
}

bool WriteSensorStore(int32_t store, const ParameterSet& set) {
  const uint16_t order = store == STORE_EEPROM ? protocol::kWriteEeprom : protocol::kWriteRam;
  return ExchangeWithSensor(order, set.data(), nullptr, 0) == EXCHANGE_ANSWERED;
}

bool ReadParameterFile(const char* path, ParameterSet* set, std::string* reason) {
  uint32_t words[PARAMETER_WORDS];
  if (FileToArray(path, words, UI_DATA_U32, PARAMETER_WORDS, 1, 0, 0, UI_FILE_ASCII) < 0) {
    char text[128] = "";
    int line = 0;
    GetFileErrorInfo(text, sizeof text, &line);
    *reason = line > 0 ? "line " + std::to_string(line) + ": " + text : std::string(text);
    return false;
  }
  for (int i = 0; i < PARAMETER_WORDS; ++i)
    (*set)[static_cast<size_t>(i)] = static_cast<uint16_t>(words[i]);
  return true;
}

ParameterSet PanelParameterSet() {
  ParameterSet panels{};
  GetPanelSet(panels.data());
  return panels;
}

}  // namespace sets
