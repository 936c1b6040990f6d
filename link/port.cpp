#include "link/port.h"

#include <cstring>

#include "display/status.h"
#include "link/frame.h"
#include "link/port_loss.h"
#include "link/reply_wait.h"
#include "link/sensor_info.h"
#include "param/transfer.h"
#include "runtime/rs232.h"

int32_t com = 1;
int32_t ret = 0;
int32_t rx_flag = 0;
int32_t graphrefresh = 0;
int32_t nBytesW = 0;
int32_t nBytesR = 0;
int32_t awaitedOrder = 0;
int32_t rejectedReplies = 0;

const char* OpenErrorMessage(int result) {
  switch (result) {
    case -1:
      return "Unknown system error";
    case -2:
      return "Invalid port number";
    case -3:
      return "Port is not open";
    case -4:
      return "Unknown I/0 error";
    case -6:
      return "No serial port found";
    case -7:
      return "Cannot open port";
    case -13:
      return "Invalid parameter";
    case -99:
      return "Timeout";
    default:
      return "RS-232 error!";
  }
}

namespace {
// A bring-up that read no set says so with its outcome, where it fits: the
// panels then hold no values of this sensor.
void AddUnreadNote() {
  if (setOrigin != SET_UNREAD) return;
  if (std::strlen(szStatus) + std::strlen(UNREAD_NOTE) > STATUS_LEN) return;
  char text[STATUS_LEN + 1];
  std::strcpy(text, szStatus);
  std::strcat(text, UNREAD_NOTE);
  SetStatusText(text);
}
}  // namespace

void InstallReceiveNotification() {
  InstallComCallback(com, eventMask, NOTIFY_COUNT, com232::sync, RX_Receive_Function, nullptr);
}

void RemoveReceiveNotification() {
  InstallComCallback(com, 0, NOTIFY_COUNT, com232::sync, nullptr, nullptr);
}

void RX_Receive_Function(int /*port*/, int events, void* /*data*/) {
  // The engine closed the port because its device went away: the operator
  // learns of it at once, also while nothing talks to the sensor.
  if ((events & COM_EVENT_ERROR) != 0 && PortLost() == 1) ReportPortLost();
  // Told only while the program is idle: no operation is cut short.
  if ((events & COM_EVENT_DEVICE_BACK) != 0) ReconnectReturnedPort();
  if ((events & COM_EVENT_OTHER_DEVICE) != 0) ReportOtherDevice();
  if ((events & COM_EVENT_RECEIVE) == 0) return;
  ComRd(com, szReadBuf, FRAME_LEN);
  FlushInQ(com);
  if (ReplyAnswers(szReadBuf, awaitedOrder) == 0) {
    ++rejectedReplies;
    return;
  }
  GetRxBuf(PNUM);
  rx_flag = 1;
  graphrefresh = 1;
}

void InitRS232(int port) {
  // The values read from a sensor before may be another sensor's.
  ForgetSensorSet();
  ret = OpenComConfig(port, "", BAUD_RATE, 0, 8, 1, QUEUE_SIZE, QUEUE_SIZE);
  NotePortOpened(ret);
  if (ret < 0) {
    // The port stays closed: no notification, nothing sent.
    SetStatusText(OpenErrorMessage(ret));
    AddUnreadNote();
    ShowStatusText();
    return;
  }
  SetComTime(port, PORT_TIMEOUT);
  FlushInQ(port);
  FlushOutQ(port);
  SetCTSMode(port, 0);
  InstallComCallback(port, eventMask, NOTIFY_COUNT, com232::sync, RX_Receive_Function, nullptr);

  ret = CheckComLine(port);
  if (ret == 1) {
    target = RAM;
    PushGET(RAM);
    ret = GetVERSIONInfo();
    // Fewer bytes, or more than the reply alone, are no firmware text.
    if (ret != FIRMWARE_REPLY_LEN) SetStatusTextUnlessLost("Error reading firmware-info!");
  }
  // The CCD information is asked for whatever the line check gave.
  ret = GetCCDInfo();
  if (ret == 0) SetStatusTextUnlessLost("Error reading CCD-info");
  AddUnreadNote();
  ShowStatusText();
}
