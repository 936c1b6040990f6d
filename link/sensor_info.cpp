#include "link/sensor_info.h"

#include "protocol/ccd.h"

#include <algorithm>

#include "display/controls.h"
#include "display/data_curve.h"
#include "display/panel_values.h"
#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "link/reply_wait.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

uint16_t ccdtype = 0;
uint16_t ccdmaxpixel = 0;
uint16_t ccdresolution = 0;
char szVersion[VERSION_LEN + 1] = "";

const char* CcdDescription(uint16_t type) {
  return protocol::CcdDescription(type);
}

int GetCCDInfo() {
  int result = 0;
  // The package is not refreshed: it carries the last reply's words.
  order = ORD_CCD_INFO;
  FillTxBuf(ORD_CCD_INFO, pp);
  ExchangeFrame(com);  // a time-out by itself changes nothing here
  if (rx_flag == 1) {
    const uint8_t* reply = AsBytes(szReadBuf);
    const uint16_t echo = protocol::OrderOf(reply);
    ccdtype = protocol::FrameWord(reply, 0);
    ccdmaxpixel = protocol::FrameWord(reply, 1);
    ccdresolution = protocol::FrameWord(reply, 2);
    if (echo == ORD_CCD_INFO) {
      result = 1;
      eBeg = 1;
      eEnd = ccdmaxpixel;
      SetCtrlAttribute(panelPopUp, NSLIDE_PixelStart, UI_ATTR_MAX_VALUE, ccdmaxpixel);
      ApplyEntryRanges();
      ApplyXAxisRule();
      ReplaceTextBoxLine(panelPopUp, TEXTBOX_CCDInfo, 0, CcdDescription(ccdtype));
    }
  }
  return result;
}

int IsFirmwareText(const char* bytes, int count) {
  return protocol::IsFirmwareText(AsBytes(bytes), count) ? 1 : 0;
}

int GetVERSIONInfo() {
  RemoveReceiveNotification();
  FlushInQ(com);
  FlushOutQ(com);
  order = ORD_FIRMWARE_INFO;
  FillTxBuf(ORD_FIRMWARE_INFO, pp);
  WriteFrame(com);
  ShowStatus("Waiting for firmware info ...");

  // The raw reply is polled without processing events, so that no
  // notification can cut it into frames. Once the count is there the line
  // must stay quiet for a few character times: bytes still coming (stray
  // bytes ahead of the reply, or trailing it) make the reply no firmware text.
  int waiting = 0;
  int quietFrom = -1;  // queue length at the start of the quiet period
  int quietLooks = 0;
  double quietStart = 0.0;
  tstart = Timer();
  for (;;) {
    waiting = GetInQLen(com);
    // The device went away: no reply can come, and none is waited for.
    if (waiting == RS232_PORT_NOT_OPEN && PortLost() == 1) {
      SetLostStatusText();
      break;
    }
    tdiff = Timer() - tstart;
    if (tdiff > FIRMWARE_TIMEOUT) {
      if (waiting < FIRMWARE_REPLY_LEN) SetStatusText("Timeout - reading firmware info!");
      break;
    }
    if (waiting < FIRMWARE_REPLY_LEN) continue;
    if (waiting != quietFrom) {
      quietFrom = waiting;
      quietStart = Timer();
      quietLooks = 0;
    } else if (++quietLooks >= RAW_REPLY_QUIET_LOOKS || Timer() - quietStart > RAW_REPLY_QUIET) {
      break;
    }
  }

  szVersion[0] = '\0';
  nBytesR = 0;
  if (waiting > 0) nBytesR = ComRd(com, szReadBuf, std::min(waiting, static_cast<int>(BUF_LEN)));
  if (nBytesR == FIRMWARE_REPLY_LEN && IsFirmwareText(szReadBuf, nBytesR) == 1) {
    int words[FIRMWARE_REPLY_LEN / 2];
    for (int i = 0; i < FIRMWARE_REPLY_LEN / 2; ++i) words[i] = WordAt(szReadBuf, 2 * i);
    Fmt(szVersion, "%72c<%36i", words);
    SetStatusText(szVersion);
  } else if (nBytesR >= FIRMWARE_REPLY_LEN) {
    // Stray bytes or no text: nothing of it is shown as the sensor's firmware.
    SetStatusText("Error reading firmware-info!");
  }

  InstallReceiveNotification();
  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  ShowStatusText();
  return waiting;
}
