// The "Record" command on the main panel: every measurement frame of a Run
// written to a CSV file (docs/recording-format.md) as it arrives.
//
// The checkable button asks for a file and refuses at once one that cannot be
// made (a missing or unwritable folder, a path that is no file); the
// recording then waits for a Run (or begins at once during one), creates the
// file at the Run's start, writes each frame's record with its time since the
// Run's start and hands it to the system, so a crash keeps what was recorded.
// The Run's end (said when it brought no frame), unchecking, or a failed
// create or write closes the file; a row the disk refuses is cut off, so the
// file ends with the last whole row, and the failure is said at once (status
// line and stderr). Outcomes go to the main status line; a Run that ended
// because the sensor was lost leaves that text standing, and the recording's
// count follows it after a readable moment. Needs the line monitor installed
// (the frames come from its entries, watch/qt/run_feed.h).
#pragma once

// Adds the button to the main panel when the panel is shown (at once when it
// already is). A QApplication must exist.
void InstallRecorder();

// Removes the button; a recording in progress is closed with what it holds.
void UninstallRecorder();
