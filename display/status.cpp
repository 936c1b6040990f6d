#include "display/status.h"

#include <cstdio>
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

int StatusShows(const char* text) {
  char shown[256] = "";
  GetCtrlVal(panelHandle, TEXT_Status, shown, sizeof shown);
  return std::strcmp(shown, text) == 0 ? 1 : 0;
}

void ElideMiddle(const char* text, int width, char* out) {
  const int length = static_cast<int>(std::strlen(text));
  if (length <= width || width < 5) {
    std::snprintf(out, static_cast<size_t>(width) + 1, "%s", text);
    return;
  }
  const int tail = (width - 3) / 2;
  const int head = width - 3 - tail;
  std::memcpy(out, text, static_cast<size_t>(head));
  std::memcpy(out + head, "...", 3);
  std::memcpy(out + head + 3, text + length - tail, static_cast<size_t>(tail));
  out[width] = '\0';
}
