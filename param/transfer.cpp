#include "param/transfer.h"

#include "display/controls.h"
#include "display/panelvalues.h"
#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/replywait.h"
#include "param/parafile.h"
#include "param/params.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

int32_t target = RAM;

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
      SetStatusText("Timeout-RS-232...");
    }
  }
  SetCtrlVal(panelHandle, BINSWITCH_UM, 1);
  SetPanelValues();
  ShowStatusText();
}

int CC_BTNSend(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_LEFT_PRESS) return 0;
  ShowStatus("Transmit...");
  if (target == DATFILE) {
    // A cancelled dialog writes nothing and leaves "Transmit..." standing.
    if (FileSelectPopup(proj_dir, PARA_FILE_NAME, PARA_FILE_FILTER, PARA_FILE_SAVE_TITLE,
                        UI_FILE_BUTTON_OK, 0, 1, 1, 1, file_name) > 0)
      SendParaToFile();
    return 0;
  }
  com232::sync = 0x55;
  order = (target == EEPROM) ? ORD_WRITE_EEPROM : ORD_WRITE_RAM;
  GetPanelValues();
  CopyVarsToPP();
  FillTxBuf(static_cast<uint16_t>(order), pp);
  // No flush and no wait: the write orders are not answered. A frame that
  // still comes is taken in by the notification as usual.
  WriteFrame(com);
  if (nBytesW == FRAME_LEN) ShowStatus("Line Ok!");
  return 0;
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
