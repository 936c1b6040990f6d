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
// stderr and to the say function at once; the monitor goes on. The button and
// the light are added to the main panel ("MainPanel") when it is first shown;
// Ctrl+L there opens the window too.
bool InstallLineMonitor(const char* traceFile);

// Removes the tap, closes the trace file, deletes the monitor's widgets; the
// line log is forgotten. For tests, which install it afresh each time.
void UninstallLineMonitor();

// Where the monitor's own reports go beside stderr: the program's status line
// (null: nowhere). Kept across installations.
void SetLineMonitorSay(void (*say)(const char* text));

namespace monitor {
struct LineEntry;
}

// Called on the user-interface thread for every entry as the line log appends
// it, with the context given when it was added.
using LineEntryListener = void (*)(const monitor::LineEntry& entry, void* context);
// Adds a listener for the entries of the sensor line (features beside the
// monitor: the recording, the trend). Listeners are kept apart from the
// monitor itself, so they may be added before or after it is installed; a pair
// already added is not added twice.
void AddLineEntryListener(LineEntryListener listener, void* context);
// Removes a listener added with the same pair; nothing happens for another.
void RemoveLineEntryListener(LineEntryListener listener, void* context);
