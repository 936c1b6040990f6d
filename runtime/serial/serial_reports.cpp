// The serial ports' reports: to the sink a program installed, else to stderr.
#include <cstdio>

#include "runtime/serial/serial_report_sink.h"
#include "runtime/serial_reports.h"

namespace {
SerialReportFn g_sink = nullptr;
void* g_context = nullptr;
}  // namespace

void SetSerialReportSink(SerialReportFn fn, void* context) {
  g_sink = fn;
  g_context = fn != nullptr ? context : nullptr;
}

void ReportSerial(int port, const char* device, const char* what, const char* reason) {
  if (g_sink != nullptr) {
    SerialReport report;
    report.port = port;
    report.device = device;
    report.what = what;
    report.reason = reason;
    g_sink(report, g_context);
    return;
  }
  std::fprintf(stderr, "COM%d %s: %s: %s\n", port, device, what, reason);
}
