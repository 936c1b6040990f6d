#include "param/transfer.h"

#include "display/controls.h"
#include "display/panelvalues.h"
#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/replywait.h"
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
