// The line monitor beside the program's panels: a record of every exchange on
// the sensor line (from the engine's serial tap), a trace file written as it
// happens, the "Line monitor" button and the link light on the main panel, and
// the monitor window.
#pragma once

// Called before the program starts the engine: creates the line log and
// installs the serial tap. With `traceFile` (may be null), the file is created
// at once and every entry is written to it as it is appended, each line handed
// to the system at once, so that a crash or kill loses nothing; returns false
// with the reason on stderr when it cannot be created. A line the disk refuses
// later (full, a size limit) ends the trace: the file keeps every whole line
// before it and is closed, and "Trace stopped: <file>: <reason>" goes to
// stderr and to the status line at once; the monitor goes on. The button
// (Ctrl+L) and the light go into the main panel's slots when it is first
// shown.
bool InstallLineMonitor(const char* traceFile);

// Removes the tap, closes the trace file, deletes the monitor's widgets; the
// line log is forgotten. For tests, which install it afresh each time.
void UninstallLineMonitor();
