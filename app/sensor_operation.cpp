#include "app/sensor_operation.h"

#include "display/controls.h"
#include "param/params.h"
#include "runtime/userint.h"

int32_t sensorOperation = OPERATION_NONE;

namespace {

struct Listener {
  SensorOperationListener listener;
  void* data;
};
Listener listeners[MAX_OPERATION_LISTENERS] = {};

// The main panel's commands that talk to the sensor. Stop is not among them.
constexpr int kSensorCommands[] = {BTNRun, BTNData, BTNGet, BTNSend, BTNTeach, DropDCom};

void SetBackgroundTeachDimmed(int dimmed) {
  SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, dimmed);
  // While its own teach runs the lamp is lit, and stays readable.
  if (sensorOperation != OPERATION_BACKGROUND_TEACH)
    SetCtrlAttribute(panelPopUp, LED_TeachBackGround, UI_ATTR_DIMMED, dimmed);
}

void DimSensorCommands(int dimmed) {
  for (int control : kSensorCommands)
    SetCtrlAttribute(panelHandle, control, UI_ATTR_DIMMED, dimmed);
  if (dimmed == 1) {
    SetBackgroundTeachDimmed(1);
  } else if (bMode == 2) {
    SetBackgroundTeachDimmed(0);
  }
}

void TellListeners() {
  for (const Listener& l : listeners)
    if (l.listener != nullptr) l.listener(l.data, sensorOperation);
}

}  // namespace

int BeginSensorOperation(int32_t operation) {
  if (sensorOperation != OPERATION_NONE) return 0;
  sensorOperation = operation;
  DimSensorCommands(1);
  TellListeners();
  return 1;
}

void EndSensorOperation() {
  sensorOperation = OPERATION_NONE;
  DimSensorCommands(0);
  TellListeners();
}

void OfferSensorCommands() {
  if (sensorOperation != OPERATION_NONE) return;
  DimSensorCommands(0);
  TellListeners();
}

void DimBackgroundTeach(int dimmed) {
  if (dimmed == 0 && sensorOperation != OPERATION_NONE) return;
  SetBackgroundTeachDimmed(dimmed);
}

const char* SensorOperationName(int32_t operation) {
  switch (operation) {
    case OPERATION_BRING_UP:
      return "the link bring-up";
    case OPERATION_GET:
      return "Get parameters";
    case OPERATION_SEND:
      return "Send parameters";
    case OPERATION_TEACH:
      return "the set-point teach";
    case OPERATION_BACKGROUND_TEACH:
      return "the background teach";
    case OPERATION_RUN:
      return "Run";
    case OPERATION_DATA:
      return "Video data";
    case OPERATION_PARAMETER_SETS:
      return "a parameter set exchange";
    case OPERATION_FIND_SENSOR:
      return "Find sensor";
    default:
      return "nothing";
  }
}

int AddSensorOperationListener(SensorOperationListener listener, void* data) {
  for (Listener& l : listeners) {
    if (l.listener != nullptr) continue;
    l = Listener{listener, data};
    return 1;
  }
  return 0;
}

void RemoveSensorOperationListener(SensorOperationListener listener, void* data) {
  for (Listener& l : listeners)
    if (l.listener == listener && l.data == data) l = Listener{nullptr, nullptr};
}
