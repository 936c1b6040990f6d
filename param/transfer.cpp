#include "param/transfer.h"

#include <cstdio>

#include "display/controls.h"
#include "display/panel_values.h"
#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "link/reply_wait.h"
#include "param/parafile.h"
#include "param/params.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

int32_t target = RAM;

namespace {
// Where the values PushGET shows came from, for the notes on replaced ones.
const char* ValueSource(int32_t store) {
  if (store == DATFILE) return "From the file";
  if (rx_flag != 1) return "Kept after the time-out";
  return store == EEPROM ? "From the sensor's EEPROM" : "From the sensor's RAM";
}
}  // namespace

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

int CC_BTNSend(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_LEFT_PRESS) return 0;
  char before[256] = "";
  GetCtrlVal(panelHandle, TEXT_Status, before, sizeof before);
  ShowStatus("Transmit...");
  if (target == DATFILE) {
    if (FileSelectPopup(proj_dir, PARA_FILE_NAME, PARA_FILE_FILTER, PARA_FILE_SAVE_TITLE,
                        UI_FILE_BUTTON_OK, 0, 1, 1, 1, file_name) > 0) {
      SendParaToFile();
    } else {
      // Nothing was written: "Transmit..." would claim otherwise.
      ShowStatus(before);
    }
    return 0;
  }
  com232::sync = TXSYNC;
  order = (target == EEPROM) ? ORD_WRITE_EEPROM : ORD_WRITE_RAM;
  GetPanelValues();
  CopyVarsToPP();
  FillTxBuf(static_cast<uint16_t>(order), pp);
  // No flush and no wait: the write orders are not answered. A frame that
  // still comes is taken in by the notification as usual.
  WriteFrame(com);
  if (nBytesW == FRAME_LEN) {
    ShowStatus("Line Ok!");
  } else if (PortLost() == 0) {
    ReportUnsentFrame();
  }
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
  if (target == DATFILE) ReadParaFromFile();
  PushGET(target);
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
