#include "app/program_face.h"

#include <cstdio>
#include <cstring>

#include "app/parameter_callbacks.h"
#include "app/sensor_operation.h"
#include "display/controls.h"
#include "display/data_curve.h"
#include "display/panel_values.h"
#include "display/units.h"
#include "link/data_block.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "link/sensor_info.h"
#include "param/parafile.h"
#include "param/params.h"
#include "param/range_check.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

static_assert(STORE_RAM == RAM && STORE_EEPROM == EEPROM && STORE_FILE == DATFILE,
              "one numbering of the stores");
static_assert(PARAMETER_WORDS == PNUM && VIDEO_LINE == VIDEO_SAMPLES);
static_assert(FACE_TEXT > VERSION_LEN && FACE_PATH == UI_PATH_MAX);

namespace {

void CopyText(char* to, size_t size, const char* from) {
  std::snprintf(to, size, "%s", from != nullptr ? from : "");
}

// A feature's exchange goes on when it claims the sensor now (`*claimed`) or
// runs inside a feature's command that holds it.
bool HeldForFeature(int* claimed) {
  *claimed = BeginSensorOperation(OPERATION_PARAMETER_SETS);
  return *claimed == 1 || sensorOperation == OPERATION_PARAMETER_SETS;
}

// Writes a request of the face's own; says once that the device went away.
bool WriteWhole(const uint8_t* request) {
  const int written = ComWrt(com, reinterpret_cast<const char*>(request), FRAME_LEN);
  if (written < 0 && PortLost() == 1) ReportPortLost();
  return written == FRAME_LEN;
}

// The reply wait of the face's exchanges, on a clock of its own (tstart and
// tdiff stay the program's).
bool WaitForSideReply(double limit) {
  const double start = Timer();
  SetWaitDeadline(start + limit);
  for (;;) {
    ProcessSystemEvents();
    // A frame taken in during the last event processing still counts.
    if (sideReplyTaken == 1) return true;
    if (PortLost() == 1) return false;
    if (Timer() - start > limit) return false;
  }
}

bool WritesStore(uint16_t order) {
  return order == ORD_WRITE_RAM || order == ORD_WRITE_EEPROM;
}

}  // namespace

void GetSensorIdentity(SensorIdentity* identity) {
  identity->port = com;
  CopyText(identity->device, sizeof identity->device, ComPortDevice(com));
  identity->portLost = PortLost();
  CopyText(identity->firmware, sizeof identity->firmware, szVersion);
  identity->ccdType = ccdtype;
  identity->pixels = ccdmaxpixel;
  identity->resolution = ccdresolution;
  identity->pitchNm = PixelPitch();
  identity->pixelLimit = PixelLimit();
  CopyText(identity->ccdDescription, sizeof identity->ccdDescription, CcdDescription(ccdtype));
}

void GetParameterSnapshot(ParameterSnapshot* snapshot) {
  for (int i = 0; i < PNUM; ++i) snapshot->set[i] = *ParameterVariable(i);
  snapshot->origin = setOrigin;
  snapshot->store = setStore;
  CopyText(snapshot->file, sizeof snapshot->file, file_name);
  snapshot->scale = scaleF;
  int pixels = 1;
  GetCtrlVal(panelHandle, BINSWITCH_UM, &pixels);
  snapshot->micrometres = pixels == 0 ? 1 : 0;
  snapshot->selectedStore = target;
}

void GetPanelSet(uint16_t set[PARAMETER_WORDS]) {
  uint16_t variables[PNUM];
  for (int i = 0; i < PNUM; ++i) variables[i] = *ParameterVariable(i);
  GetPanelValues();
  for (int i = 0; i < PNUM; ++i) {
    set[i] = *ParameterVariable(i);
    *ParameterVariable(i) = variables[i];
  }
}

void GetVideoLine(VideoLine* line) {
  std::memcpy(line->x, xArray, sizeof line->x);
  std::memcpy(line->level, adcbuf, sizeof line->level);
  std::memcpy(line->threshold, thdArray, sizeof line->threshold);
  line->read = videoLineRead;
}

void GetProgramGraphs(ProgramGraphs* graphs) {
  graphs->panel = panelHandle;
  graphs->scope = GRAPH_Scope;
  graphs->data = GRAPH_Data;
}

void GetParameterFileDialog(ParameterFileDialog* dialog) {
  CopyText(dialog->folder, sizeof dialog->folder, proj_dir);
  dialog->name = PARA_FILE_NAME;
  dialog->filter = PARA_FILE_FILTER;
  dialog->loadTitle = PARA_FILE_LOAD_TITLE;
}

void GetStatusLine(char* text, size_t size) {
  if (size == 0) return;
  text[0] = '\0';
  GetCtrlVal(panelHandle, TEXT_Status, text, size);
}

int32_t RunningOperation() {
  return sensorOperation;
}

const char* OperationName(int32_t operation) {
  return SensorOperationName(operation);
}

int ClaimSensor(int32_t operation) {
  if (operation != OPERATION_PARAMETER_SETS && operation != OPERATION_FIND_SENSOR) return 0;
  return BeginSensorOperation(operation);
}

void ReleaseSensor() {
  if (sensorOperation == OPERATION_PARAMETER_SETS || sensorOperation == OPERATION_FIND_SENSOR)
    EndSensorOperation();
}

int32_t ExchangeWithSensor(uint16_t order, const uint16_t words[PARAMETER_WORDS],
                           uint16_t reply[PARAMETER_WORDS], int afterWrite) {
  const protocol::ReplyKind kind = protocol::ReplyKindOf(order);
  // The raw replies (firmware text, video blocks) are no frame to hand back.
  if (kind != protocol::ReplyKind::kFrame && kind != protocol::ReplyKind::kNone)
    return EXCHANGE_NO_ANSWER;
  int claimed = 0;
  if (!HeldForFeature(&claimed)) return EXCHANGE_BUSY;
  uint8_t request[FRAME_LEN];
  protocol::WriteFrame(request, protocol::kRequestSync, order, words);
  int32_t result = EXCHANGE_NO_ANSWER;
  if (kind == protocol::ReplyKind::kNone) {
    // The sensor's store no longer holds what the panels were read from.
    if (WritesStore(order)) ForgetSensorSet();
    // No flush and no wait: a write is not answered.
    if (WriteWhole(request)) result = EXCHANGE_ANSWERED;
  } else {
    char frame[FRAME_LEN];
    FlushInQ(com);
    if (afterWrite == 0) FlushOutQ(com);
    sideReply = frame;
    sideOrder = order;
    sideReplyTaken = 0;
    if (WriteWhole(request) && WaitForSideReply(protocol::ReplyLimit(order))) {
      for (int i = 0; i < PNUM; ++i) reply[i] = protocol::FrameWord(AsBytes(frame), i);
      result = EXCHANGE_ANSWERED;
    }
    sideReply = nullptr;
    sideReplyTaken = 0;
  }
  if (claimed == 1) EndSensorOperation();
  return result;
}

int32_t SendPanelsToStore(int32_t store, uint16_t sent[PARAMETER_WORDS]) {
  if (store != RAM && store != EEPROM) return EXCHANGE_NO_ANSWER;
  int claimed = 0;
  if (!HeldForFeature(&claimed)) return EXCHANGE_BUSY;
  const int whole = SendPanelSet(store);
  // Send packs the set it sends into the package.
  if (whole == 1) std::memcpy(sent, pp, PNUM * sizeof(uint16_t));
  if (claimed == 1) EndSensorOperation();
  return whole == 1 ? EXCHANGE_ANSWERED : EXCHANGE_NO_ANSWER;
}

void ChoosePort(int32_t port) {
  if (sensorOperation != OPERATION_NONE) return;
  SetCtrlVal(panelHandle, DropDCom, static_cast<int>(port));
  BringUpChosenPort();
}

const char* PortErrorText(int code) {
  return OpenErrorMessage(code);
}

void SayInStatusLine(const char* text) {
  SetCtrlVal(panelHandle, TEXT_Status, text);
}
