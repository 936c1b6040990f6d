// The serial tap: one observer of the serial ports, null when nobody looks.
#include "runtime/serial/tap_records.h"

#include "runtime/rs232.h"

namespace {
SerialTapFn g_tap = nullptr;
void* g_tapContext = nullptr;
}  // namespace

void SetSerialTap(SerialTapFn fn, void* context) {
  g_tap = fn;
  g_tapContext = fn != nullptr ? context : nullptr;
}

bool SerialTapOn() {
  return g_tap != nullptr;
}

void TapSerial(int port, SerialTapKind kind, const uint8_t* bytes, int count, int value,
               const char* text) {
  // A spare port is no part of the program's line.
  if (g_tap == nullptr || port >= COM_SPARE_FIRST) return;
  SerialTapRecord record;
  record.port = port;
  record.kind = kind;
  record.time = Timer();
  record.bytes = bytes;
  record.count = count;
  record.value = value;
  record.text = text != nullptr ? text : "";
  g_tap(record, g_tapContext);
}
