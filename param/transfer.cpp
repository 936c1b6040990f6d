#include "param/transfer.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/sensor_operation.h"
#include "display/controls.h"
#include "display/panel_values.h"
#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "link/reply_wait.h"
#include "param/parafile.h"
#include "param/parafile_status.h"
#include "param/params.h"
#include "param/range_check.h"
#include "protocol/parameter_ranges.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

int32_t target = RAM;
int32_t setOrigin = SET_UNREAD;
int32_t setStore = RAM;

namespace {
constexpr int COLOR_UNREAD = 0xB00000;  // the mark of an unread set
constexpr int COLOR_KNOWN = 0x000000;

const char* StoreName(int32_t store) {
  return store == EEPROM ? "EEPROM" : "RAM";
}

// Where the values PushGET shows came from, for the notes on replaced ones.
const char* ValueSource(int32_t store) {
  if (store == DATFILE) return "From the file";
  if (rx_flag != 1) return "Kept after the time-out";
  return store == EEPROM ? "From the sensor's EEPROM" : "From the sensor's RAM";
}

// Shows "<head>: <what>" cut to the status line.
void ShowCut(const char* head, const std::string& what) {
  char text[STATUS_LEN + 1];
  std::snprintf(text, sizeof text, "%s: %s", head, what.c_str());
  SetStatusText(text);
  ShowStatusText();
}

// Reads the store's 16 words into `words` without taking them into the
// variables; the package holds them afterwards. 1 when the store answered.
int ReadStoreWords(int32_t store, uint16_t* words) {
  order = store == EEPROM ? ORD_READ_EEPROM : ORD_READ_RAM;
  CopyVarsToPP();
  FillTxBuf(static_cast<uint16_t>(order), pp);
  if (ExchangeFrame(com) == 0) return 0;
  std::memcpy(words, pp, PNUM * sizeof(uint16_t));
  return 1;
}

// The EEPROM keeps a set over power-off: the operator sees what changes, and
// says yes, before it is written. The sensor's present set is read for it.
int EepromWriteConfirmed(const uint16_t* words) {
  uint16_t present[PNUM];
  std::string question;
  if (ReadStoreWords(EEPROM, present) == 1) {
    const std::string changes = protocol::ChangesText(present, words);
    question = changes.empty() ? "The sensor's EEPROM holds these values already.\n"
                                 "Write them again?"
                               : "Send writes into the sensor's EEPROM, which keeps them over "
                                 "power-off:\n\n" +
                                     changes + "\nWrite them?";
  } else {
    question =
        "The EEPROM's present values could not be read. Send writes these into the "
        "sensor's EEPROM, which keeps them over power-off:\n\n" +
        protocol::ValuesText(words) + "\nWrite them?";
  }
  return ConfirmPopup("Write the sensor's EEPROM", question.c_str());
}
}  // namespace

void NoteSetOrigin(int32_t origin, int32_t store) {
  setOrigin = origin;
  setStore = store;
  char text[STATUS_LEN + 1];
  switch (origin) {
    case SET_READ:
      std::snprintf(text, sizeof text, "read from the sensor's %s", StoreName(store));
      break;
    case SET_SENT:
      std::snprintf(text, sizeof text, "sent to the sensor's %s", StoreName(store));
      break;
    case SET_LOADED:
      std::snprintf(text, sizeof text, "loaded from %s", FileBaseName(file_name));
      break;
    default:
      std::snprintf(text, sizeof text, "unread: start values");
      break;
  }
  SetCtrlVal(panelHandle, TEXT_SetSource, text);
  SetCtrlAttribute(panelHandle, TEXT_SetSource, UI_ATTR_TEXT_COLOR,
                   origin == SET_UNREAD ? COLOR_UNREAD : COLOR_KNOWN);
}

void ForgetSensorSet() {
  if (setOrigin == SET_READ) NoteSetOrigin(SET_UNREAD, RAM);
}

int ReadSetIfUnread() {
  if (setOrigin != SET_UNREAD) return 1;
  PushGET(RAM);
  if (setOrigin != SET_UNREAD) return 1;
  SetStatusText("Not started: parameters unread - use Get parameters or load a file");
  ShowStatusText();
  return 0;
}

void PushGET(int32_t store) {
  if (store != DATFILE) {
    order = (store == EEPROM) ? ORD_READ_EEPROM : ORD_READ_RAM;
    CopyVarsToPP();
    FlushInQ(com);
    FlushOutQ(com);
    FillTxBuf(static_cast<uint16_t>(order), pp);
    rx_flag = 0;
    WriteFrame(com);
    if (nBytesW == FRAME_LEN) ShowStatus("Waiting for parameter-frame ...");
    tstart = Timer();
    if (WaitForRxFlag(TIMEOUT) == 1) {
      GetRxBuf(PNUM);
      CopyPPtoVars();
      SetStatusText("Parameter-frame received! - Line Ok!");
      NoteSetOrigin(SET_READ, store);
    } else {
      // The variables keep their values; the panels are refreshed from them.
      SetStatusTextUnlessLost("Timeout-RS-232...");
    }
  }
  std::snprintf(valueSource, sizeof valueSource, "%s", ValueSource(store));
  SetCtrlVal(panelHandle, BINSWITCH_UM, 1);
  SetPanelValues();
  ShowStatusText();
  ReportReplacedValues();
}

void ReportReplacedValues() {
  if (rangeReplaced == 0) return;
  char text[STATUS_LEN + 1];
  std::snprintf(text, sizeof text, "Out of range: %d value%s replaced (see marked controls)",
                rangeReplaced, rangeReplaced == 1 ? "" : "s");
  SetStatusText(text);
  ShowStatusText();
}

int SendPanelSet(int32_t store) {
  ShowStatus("Transmit...");
  GetPanelValues();
  CopyVarsToPP();
  uint16_t words[PNUM];
  std::memcpy(words, pp, sizeof words);
  const std::string outside = protocol::OutOfRangeText(words, PixelLimit());
  if (!outside.empty()) {
    ShowCut("Not sent", outside);
    return 0;
  }
  if (!protocol::WindowRunsForward(eBeg, eEnd)) {
    char text[2 * STATUS_LEN];
    std::snprintf(text, sizeof text,
                  "Not sent: evaluation from pixel %u is beyond evaluation to pixel %u", eBeg,
                  eEnd);
    SetStatusText(text);
    ShowStatusText();
    return 0;
  }
  if (store == EEPROM && EepromWriteConfirmed(words) != 1) {
    ShowStatus("Not sent: the EEPROM keeps its values");
    return 0;
  }
  com232::sync = TXSYNC;
  order = (store == EEPROM) ? ORD_WRITE_EEPROM : ORD_WRITE_RAM;
  // The read of the EEPROM's present set went through the package.
  std::memcpy(pp, words, sizeof words);
  FillTxBuf(static_cast<uint16_t>(order), pp);
  // No flush and no wait: the write orders are not answered. A frame that
  // still comes is taken in by the notification as usual.
  WriteFrame(com);
  if (nBytesW == FRAME_LEN) {
    ShowStatus("Line Ok!");
    NoteSetOrigin(SET_SENT, store);
    return 1;
  }
  if (PortLost() == 0) ReportUnsentFrame();
  return 0;
}

int CC_BTNSend(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_LEFT_PRESS) return 0;
  if (BeginSensorOperation(OPERATION_SEND) == 0) return 0;
  if (target == DATFILE) {
    char before[256] = "";
    GetCtrlVal(panelHandle, TEXT_Status, before, sizeof before);
    ShowStatus("Transmit...");
    if (FileSelectPopup(proj_dir, PARA_FILE_NAME, PARA_FILE_FILTER, PARA_FILE_SAVE_TITLE,
                        UI_FILE_BUTTON_OK, 0, 1, 1, 1, file_name) > 0) {
      SendParaToFile();
    } else {
      // Nothing was written: "Transmit..." would claim otherwise.
      ShowStatus(before);
    }
  } else {
    SendPanelSet(target);
  }
  EndSensorOperation();
  return 0;
}

void ReportUnsentFrame() {
  char text[STATUS_LEN + 1];
  if (nBytesW == RS232_PORT_NOT_OPEN) {
    std::snprintf(text, sizeof text, "Nothing sent: COM%d is not open", com);
  } else if (nBytesW <= 0) {
    std::snprintf(text, sizeof text, "Nothing sent: COM%d refused the write", com);
  } else {
    std::snprintf(text, sizeof text, "Only %d of %d bytes sent on COM%d", nBytesW, FRAME_LEN, com);
  }
  SetStatusText(text);
  ShowStatusText();
}

int CC_BTNGet(int /*panel*/, int /*control*/, int event, void* /*callbackData*/, int /*eventData1*/,
              int /*eventData2*/) {
  if (event != UI_EVENT_COMMIT) return 0;
  if (BeginSensorOperation(OPERATION_GET) == 0) return 0;
  if (target == DATFILE) ReadParaFromFile();
  PushGET(target);
  EndSensorOperation();
  return 0;
}

void SelectStore(int32_t store) {
  target = store;
  SetCtrlVal(panelHandle, RBTRam, store == RAM ? 1 : 0);
  SetCtrlVal(panelHandle, RBTEeprom, store == EEPROM ? 1 : 0);
  SetCtrlVal(panelHandle, RBTFile, store == DATFILE ? 1 : 0);
}

namespace {

int StoreButtonChanged(int event, int control, int32_t store) {
  if (event != UI_EVENT_VALUE_CHANGED) return 0;
  int on = 0;
  GetCtrlVal(panelHandle, control, &on);
  // Switching the selected button off falls back to RAM.
  SelectStore(on != 0 ? store : RAM);
  return 0;
}
}  // namespace

int CC_RBTRam(int /*panel*/, int /*control*/, int event, void* /*callbackData*/, int /*eventData1*/,
              int /*eventData2*/) {
  return StoreButtonChanged(event, RBTRam, RAM);
}

int CC_RBTEeprom(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
                 int /*eventData1*/, int /*eventData2*/) {
  return StoreButtonChanged(event, RBTEeprom, EEPROM);
}

int CC_RBTFile(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
  return StoreButtonChanged(event, RBTFile, DATFILE);
}

void RegisterTransferCallbacks() {
  RegisterCtrlCallback("CC_BTNSend", CC_BTNSend);
  RegisterCtrlCallback("CC_BTNGet", CC_BTNGet);
  RegisterCtrlCallback("CC_RBTRam", CC_RBTRam);
  RegisterCtrlCallback("CC_RBTEeprom", CC_RBTEeprom);
  RegisterCtrlCallback("CC_RBTFile", CC_RBTFile);
}
