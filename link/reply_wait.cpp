#include "link/reply_wait.h"

#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

double tstart = 0.0;
double tdiff = 0.0;

void WriteFrame(int port) {
  // The write orders are not answered: a reply awaited before one of them is
  // still the one to take.
  const uint16_t code = protocol::OrderOf(AsBytes(szWriteBuf));
  if (protocol::ReplyKindOf(code) != protocol::ReplyKind::kNone) awaitedOrder = code;
  nBytesW = ComWrt(port, szWriteBuf, FRAME_LEN);
  // The request went nowhere because the device went away: say so once.
  if (nBytesW < 0 && PortLost() == 1) ReportPortLost();
}

int WaitForRxFlag(double limit) {
  SetWaitDeadline(tstart + limit);
  for (;;) {
    ProcessSystemEvents();
    tdiff = Timer() - tstart;
    // The flag is looked at before the clock: a frame taken in during the
    // last event processing still ends the wait successfully.
    if (rx_flag == 1) return 1;
    if (PortLost() == 1) return 0;  // the device went away: nothing can come
    if (tdiff > limit) return 0;
  }
}

int ExchangeFrame(int port) {
  FlushOutQ(port);
  FlushInQ(port);
  rx_flag = 0;
  WriteFrame(port);
  tstart = Timer();
  return WaitForRxFlag(TIMEOUT);
}

int CheckComLine(int port) {
  int result = 0;
  CopyVarsToPP();
  order = ORD_ECHO_CHECK;
  FillTxBuf(ORD_ECHO_CHECK, pp);
  if (ExchangeFrame(port) == 0) SetStatusTextUnlessLost("Timeout-RS-232...");
  if (rx_flag == 1) {
    pp[0] = protocol::SyncOf(AsBytes(szReadBuf));
    if (pp[0] == RXSYNC) {
      SetStatusText("Echo Check - Line Ok!");
      result = 1;
    } else {
      SetStatusText("read error - not sync byte 0xAA!");
    }
  }
  ShowStatusText();
  return result;
}
