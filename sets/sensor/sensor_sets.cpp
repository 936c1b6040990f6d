#include "sets/sensor/sensor_sets.h"

#include <cstring>

#include "app/sensor_operation.h"
#include "display/panel_values.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/reply_wait.h"
#include "param/params.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/utility.h"

namespace sets {
namespace {

// What an exchange leaves behind in the link's variables.
struct LinkState {
  uint16_t package[PNUM];
  int32_t order, rxFlag, graphRefresh, bytesWritten, awaited;
  double waitStart, waitElapsed;
  char writeBuf[BUF_LEN], readBuf[BUF_LEN];

  LinkState() {
    std::memcpy(package, pp, sizeof package);
    order = ::order;
    rxFlag = rx_flag;
    graphRefresh = graphrefresh;
    bytesWritten = nBytesW;
    awaited = awaitedOrder;
    waitStart = tstart;
    waitElapsed = tdiff;
    std::memcpy(writeBuf, szWriteBuf, sizeof writeBuf);
    std::memcpy(readBuf, szReadBuf, sizeof readBuf);
  }
  void Restore() const {
    std::memcpy(pp, package, sizeof package);
    ::order = order;
    rx_flag = rxFlag;
    graphrefresh = graphRefresh;
    nBytesW = bytesWritten;
    awaitedOrder = awaited;
    tstart = waitStart;
    tdiff = waitElapsed;
    std::memcpy(szWriteBuf, writeBuf, sizeof writeBuf);
    std::memcpy(szReadBuf, readBuf, sizeof readBuf);
  }
};

ParameterSet Variables() {
  ParameterSet set{};
  for (int i = 0; i < PNUM; ++i) set[static_cast<size_t>(i)] = *ParameterVariable(i);
  return set;
}

void SetVariables(const ParameterSet& set) {
  for (int i = 0; i < PNUM; ++i) *ParameterVariable(i) = set[static_cast<size_t>(i)];
}

}  // namespace

SensorHold::SensorHold(bool withinCommand) {
  taken_ = BeginSensorOperation(OPERATION_PARAMETER_SETS) == 1;
  held_ = taken_ || (withinCommand && sensorOperation == OPERATION_PARAMETER_SETS);
}

SensorHold::~SensorHold() {
  if (taken_) EndSensorOperation();
}

std::string SensorHold::BusyText() {
  return std::string("the sensor is busy with ") + SensorOperationName(sensorOperation);
}

StoreReadResult ReadSensorStore(int32_t store, ParameterSet* set, bool afterWrite) {
  const SensorHold hold(true);
  if (!hold.held()) return StoreReadResult::kOtherOperation;
  const LinkState saved;
  ::order = store == EEPROM ? ORD_READ_EEPROM : ORD_READ_RAM;
  FlushInQ(com);
  if (!afterWrite) FlushOutQ(com);
  FillTxBuf(static_cast<uint16_t>(::order), pp);
  rx_flag = 0;
  WriteFrame(com);
  tstart = Timer();
  const bool answered = nBytesW == FRAME_LEN && WaitForRxFlag(TIMEOUT) == 1;
  if (answered) {
    // The notification decoded the answer into the package: taken from there
    // before the package is put back.
    for (int i = 0; i < PNUM; ++i) (*set)[static_cast<size_t>(i)] = pp[i];
  }
  saved.Restore();
  return answered ? StoreReadResult::kRead : StoreReadResult::kNoAnswer;
}

bool WriteSensorStore(int32_t store, const ParameterSet& set) {
  const SensorHold hold(true);
  if (!hold.held()) return false;
  const LinkState saved;
  ::order = store == EEPROM ? ORD_WRITE_EEPROM : ORD_WRITE_RAM;
  FillTxBuf(static_cast<uint16_t>(::order), set.data());
  WriteFrame(com);
  const bool whole = nBytesW == FRAME_LEN;
  saved.Restore();
  return whole;
}

bool ReadParameterFile(const char* path, ParameterSet* set, std::string* reason) {
  uint32_t words[PNUM];
  if (FileToArray(path, words, UI_DATA_U32, PNUM, 1, 0, 0, UI_FILE_ASCII) < 0) {
    char text[128] = "";
    int line = 0;
    GetFileErrorInfo(text, sizeof text, &line);
    *reason = line > 0 ? "line " + std::to_string(line) + ": " + text : std::string(text);
    return false;
  }
  for (int i = 0; i < PNUM; ++i) (*set)[static_cast<size_t>(i)] = static_cast<uint16_t>(words[i]);
  return true;
}

ParameterSet PanelParameterSet() {
  const ParameterSet variables = Variables();
  GetPanelValues();
  const ParameterSet panels = Variables();
  SetVariables(variables);
  return panels;
}

}  // namespace sets
