// What the serial ports report beside their results: a device that cannot be
// opened or configured and why, a device lost, frames that cannot be held.
// Without a sink each report is one line on standard error, as the desktop
// program wants them; a program that says its failures in words of its own
// (the command line) takes them instead. No Qt.
#pragma once

struct SerialReport {
  int port = 0;             // the port number
  const char* device = "";  // the device path
  const char* what = "";    // "cannot open", "device lost, port closed", ...
  const char* reason = "";  // the system's or the engine's reason
};

using SerialReportFn = void (*)(const SerialReport& report, void* context);

// Installs `fn` (null: standard error again); it is called with `context` on
// the thread of the serial operations, inside the operation or event that
// made the report, and must not call serial operations.
void SetSerialReportSink(SerialReportFn fn, void* context);
