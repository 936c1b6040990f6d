// The engine's serial tap: a read-only view of what passes on the serial
// ports, for diagnostics beside the program (the line monitor, trace files).
//
// One tap at a time; SetSerialTap(nullptr, nullptr) removes it. Without a tap
// the ports behave and cost exactly as before. The tap runs on the
// user-interface thread, inside the serial operation or event that caused the
// record; it must not call serial operations or process events, and the
// record's pointers are valid only during the call.
#pragma once

#include <cstdint>

enum class SerialTapKind {
  kOpened,           // the port was opened; text: the device path
  kClosed,           // the program closed the port
  kLost,             // the device went away and the engine closed the port; text: why
  kSent,             // bytes handed to the device; time: when the last of them went
  kReceived,         // bytes that arrived; time: when the engine took them in
  kInputFlushed,     // the input queue was flushed; bytes: what it discarded (maybe none)
  kOutputFlushed,    // the output queue was flushed; value: bytes not yet sent it discarded
  kNotifyInstalled,  // the receive notification was installed; value: its event mask
  kNotifyRemoved,    // the receive notification was removed
};

struct SerialTapRecord {
  int port = 0;
  SerialTapKind kind = SerialTapKind::kSent;
  double time = 0.0;  // seconds on the clock of Timer() (runtime/utility.h)
  const uint8_t* bytes = nullptr;
  int count = 0;  // number of bytes
  int value = 0;
  const char* text = "";
};

using SerialTapFn = void (*)(const SerialTapRecord& record, void* context);

// Installs `fn` (null removes the tap); it is called with `context`.
void SetSerialTap(SerialTapFn fn, void* context);
