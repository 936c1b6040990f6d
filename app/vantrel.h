// The program's entry, start-up and shutdown, and the main panel's callback.
#pragma once

#include <cstdint>

#include "param/parafile.h"  // proj_dir, filled at start-up

extern int32_t stop_flag;  // 1 while no acquisition loop runs
extern int32_t startCom;   // the port start-up opens: 1 unless the process chose another
extern const char* const PANEL_RESOURCE;  // "Vantrel.uir", beside the program

// The whole program: start-up, the event loop until the main panel is closed,
// shutdown. Returns 0, or -1 when the engine or a panel cannot be loaded.
int WinMain(int argc, char** argv);

// Start-up: engine, callbacks, both panels from `resourceFile`, program
// directory, InitVars, "Init COM-Port ..." with the main panel shown, link
// bring-up on port `com` (events are processed inside it). Returns 0, or -1
// when the engine or a panel cannot be loaded: the reason goes to stderr and,
// for the panel resource, into a message box; no panel is shown and no port is
// opened.
int StartUp(int argc, char** argv, const char* resourceFile);
// Shutdown after the event loop: closes the port selected last, discards the
// settings panel, then the main panel.
void ShutDown();

// Names the port in use and its device in the main panel's title
// ("Vantrel - COM1 (rfc2217://10.0.4.17:4001)"), so that windows side by side
// tell their sensors apart.
void ShowPortInTitle();

// Defaults, start values, status "InitVars", information texts, first read of
// the panels, the initial scope picture and the initial x and threshold arrays.
void InitVars();
// Places one information text on the main panel at (left, top) panel pixels.
void ShowInfoText(const char* text, int left, int top, int pointSize);
// Registers every control and panel callback of the panel resource by name.
void RegisterCallbacks();

// Main panel: closing it ends the program.
int CC_PANEL(int panel, int event, void* callbackData, int eventData1, int eventData2);
