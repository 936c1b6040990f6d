#include "link/port_loss.h"

#include <cstdio>
#include <cstring>

#include "display/status.h"
#include "link/port.h"
#include "runtime/rs232.h"

int32_t comOpen = 0;

void NotePortOpened(int result) {
  comOpen = result >= 0 ? 1 : 0;
}

int PortLost() {
  // A port that never opened is not lost: its failure was shown at opening.
  return comOpen == 1 && GetInQLen(com) == RS232_PORT_NOT_OPEN ? 1 : 0;
}

void ReportPortLost() {
  // The device path is shortened in its middle so that the reason at the end
  // always fits the status text.
  constexpr char kFormat[] = "Sensor lost on COM%d (%s): device removed";
  char probe[STATUS_LEN + 1];
  const int frame = std::snprintf(probe, sizeof probe, kFormat, com, "");
  char device[STATUS_LEN + 1];
  ElideMiddle(device, ComPortDevice(com), static_cast<size_t>(STATUS_LEN - frame));
  char text[STATUS_LEN + 1];
  std::snprintf(text, sizeof text, kFormat, com, device);
  // What counts is what the line shows: another text may have replaced the
  // report since it was made.
  if (StatusShows(text) == 1) return;
  SetStatusText(text);
  ShowStatusText();
}
