#include "link/portloss.h"

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
  char text[STATUS_LEN + 1];
  std::snprintf(text, sizeof text, "Sensor lost on COM%d (%s): device removed", com,
                ComPortDevice(com));
  if (std::strcmp(text, szStatus) == 0) return;
  SetStatusText(text);
  ShowStatusText();
}
