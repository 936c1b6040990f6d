// How the serial operations and the channel make their reports
// (runtime/serial_reports.h). Private to the engine's serial part.
#pragma once

// Hands the report to the installed sink, or writes it as one line on stderr:
// "COM<port> <device>: <what>: <reason>".
void ReportSerial(int port, const char* device, const char* what, const char* reason);
