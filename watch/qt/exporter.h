// The Export command on the main panel: the video line as CSV, the scope or
// the data graph as PNG, each into a file the operator chooses.
//
// The "Export" button (tab order after "Teach set-point"; Space or Enter opens
// its menu) and Ctrl+E on the main panel open a menu of three commands. Each
// asks for a file with the engine's file dialog (in the current directory;
// "video.csv", "scope.png", "data.png"), writes it whole or not at all, and
// says the outcome in the status line: "Exported video line to <path>" (scope,
// data graph), or "Export failed: <path>: <reason>" with no file left behind.
// A cancelled dialog changes nothing and says nothing. Before the program has
// read a video block from the sensor the video line is no line at all: its
// export says so and asks for no file. The graphs are the ones the program
// names (app/program_face.h), whatever their labels read. Exporting reads what the program shows
// and changes none of its variables, so it may run during an acquisition loop (from the loop's
// event processing).
#pragma once

// The command goes into the main panel's command row when the panel is shown,
// and into every main panel shown after it.
void InstallExporter();
// Removes the command's widgets. For tests, which install it afresh each time.
void UninstallExporter();
