// The settings panel: its state and the reactions of its parameter controls.
// Of the parameter variables these change para15 alone (from the scale
// factor), besides scaleF; everything else the operator sets reaches its
// variable at the next reading of the panels.
#pragma once

#include <cstdint>

extern uint16_t hidePopUp;  // 1 while the settings panel is hidden

// The window start a 256-pixel window may take on the line in use: the pixel
// count minus 255. Before the line is known (or when it is shorter than a
// window) the window is held to the shorter of the two lines, 512 pixels, so
// that it fits whichever sensor reports.
int32_t PixelStartLimit();

// The settings panel's own close button: hides it, as the settings button does.
int CC_POPUP_PANEL(int panel, int event, void* callbackData, int eventData1, int eventData2);

// Does nothing; the gain is read with the other panel values.
int CC_BIN_Switch_VGain(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);
// Value change: a start beyond PixelStartLimit() is cut back to it; the window
// end (start + 255) is shown. pStart keeps its value.
int CC_NSLIDE_PixelStart(int panel, int control, int event, void* callbackData, int eventData1,
                         int eventData2);
// Commit: the pixel-window controls are active in CCD mode 1 only.
int CC_RING_CCDMode(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
// Value change: mode 1 offers the background value, mode 2 the background
// teach (only while no operation talks to the sensor), any other mode neither.
int CC_RING_CCDBGMode(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
// Value change: the tolerance edit is dimmed while the tolerance comes from the sensor (1).
int CC_BIN_Sw_EnableTol(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);
// Value change: the main panel's tolerance display follows the edit, in the
// chosen unit, and so does the scope's band while no loop runs. tTol keeps its
// value.
int CC_NEDITTolerance(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
// Commit: the main panel's teach-value display follows the edit, in the chosen
// unit without the scale factor, and so do the scope's cursor 1 and band while
// no loop runs. tVal keeps its value.
int CC_NEDITTeach(int panel, int control, int event, void* callbackData, int eventData1,
                  int eventData2);
// Value change: scaleF and para15 (thousandths) from the control; no limit here.
int CC_NUM_ScalFact(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
