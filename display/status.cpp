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

void ElideMiddle(char* out, const char* name, size_t room) {
  const size_t length = std::strlen(name);
  if (length <= room) {
    std::memcpy(out, name, length + 1);
    return;
  }
  constexpr size_t dots = 3;
  const size_t front = (room - dots) / 2;
  const size_t back = room - dots - front;  // the end carries the extension
  std::memcpy(out, name, front);
  std::memcpy(out + front, "...", dots);
  std::memcpy(out + front + dots, name + length - back, back + 1);
}
