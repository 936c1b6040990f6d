#include "display/status.h"

#include <cstring>

#include "display/controls.h"
#include "runtime/userint.h"

char szStatus[STATUS_LEN + 1] = "";

void SetStatusText(const char* text) {
  std::strncpy(szStatus, text, STATUS_LEN);
  szStatus[STATUS_LEN] = '\0';
}

void ShowStatusText() {
  SetCtrlVal(panelHandle, TEXT_Status, szStatus);
}

void ShowStatus(const char* text) {
  SetCtrlVal(panelHandle, TEXT_Status, text);
}
