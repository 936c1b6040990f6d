#include "link/port_loss.h"

#include <cstdio>
#include <cstring>

#include "app/sensor_operation.h"
#include "display/status.h"
#include "link/port.h"
#include "runtime/rs232.h"

int32_t comOpen = 0;

namespace {

// `format` with the port number and its device, shortened in its middle so
// that the words after it always fit the status text.
void FormatPortText(char (&text)[STATUS_LEN + 1], const char* format) {
  char probe[STATUS_LEN + 1];
  const int frame = std::snprintf(probe, sizeof probe, format, com, "");
  char device[STATUS_LEN + 1];
  ElideMiddle(device, ComPortDevice(com), static_cast<size_t>(STATUS_LEN - frame));
  // The device was shortened to fit: nothing is cut here.
  if (std::snprintf(text, sizeof text, format, com, device) < 0) text[0] = '\0';
}

constexpr char kLostFormat[] = "Sensor lost on COM%d (%s): device removed";
// A port on the network: its server went away or the network between.
constexpr char kNetworkLostFormat[] = "Sensor lost on COM%d (%s): connection lost";

// A network port's device is a URL ("rfc2217://host:port").
const char* LostFormat() {
  return std::strstr(ComPortDevice(com), "://") != nullptr ? kNetworkLostFormat : kLostFormat;
}
constexpr char kBackFormat[] = "Sensor back on COM%d (%s): reconnecting";
constexpr char kOtherFormat[] = "Different device on COM%d (%s): not used";
constexpr char kBackOutcomeFormat[] = "Sensor back on COM%d: %s";

}  // namespace

void NotePortOpened(int result) {
  comOpen = result >= 0 ? 1 : 0;
}

int PortLost() {
  // A port that never opened is not lost: its failure was shown at opening.
  return comOpen == 1 && GetInQLen(com) == RS232_PORT_NOT_OPEN ? 1 : 0;
}

void ReportPortLost() {
  char text[STATUS_LEN + 1];
  FormatPortText(text, LostFormat());
  // What counts is what the line shows: another text may have replaced the
  // report since it was made.
  if (StatusShows(text) == 1) return;
  SetStatusText(text);
  ShowStatusText();
}

void SetLostStatusText() {
  char text[STATUS_LEN + 1];
  FormatPortText(text, LostFormat());
  SetStatusText(text);
}

void SetStatusTextUnlessLost(const char* text) {
  if (PortLost() == 1) {
    SetLostStatusText();
  } else {
    SetStatusText(text);
  }
}

void ReconnectReturnedPort() {
  if (PortLost() == 0) return;
  if (BeginSensorOperation(OPERATION_BRING_UP) == 0) return;
  char text[STATUS_LEN + 1];
  FormatPortText(text, kBackFormat);
  ShowStatus(text);
  CloseCom(com);
  InitRS232(com);
  // The bring-up's texts pass in moments: its outcome says that the sensor is
  // back, so the return stays readable (cut to the status line).
  char outcome[2 * STATUS_LEN];
  std::snprintf(outcome, sizeof outcome, kBackOutcomeFormat, com, szStatus);
  SetStatusText(outcome);
  ShowStatusText();
  EndSensorOperation();
}

void ReportOtherDevice() {
  if (PortLost() == 0) return;
  char text[STATUS_LEN + 1];
  FormatPortText(text, kOtherFormat);
  ShowStatus(text);
}
