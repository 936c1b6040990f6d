// Trace files on disk for the monitor window: saving the entries whole or not
// at all, and loading one back.
#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "monitor/line_entry.h"

// Writes a trace of `entries` to `path` through a temporary file in the same
// folder that replaces the file only once complete. Returns an empty text, or
// why it failed.
QString SaveTraceFile(const QString& path, const std::deque<monitor::LineEntry>& entries);

struct LoadedTrace {
  std::vector<monitor::LineEntry> entries;
  QString error;  // empty when loaded; else "line N: reason" or why it could not be read
};
LoadedTrace LoadTraceFile(const QString& path);
