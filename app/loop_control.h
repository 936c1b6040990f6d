// What both acquisition loops share: the Stop button, the store they run on
// and the commands dimmed while they run.
#pragma once

// Stop (left press): ends every running acquisition loop at its next check and
// makes the loop-dimmed buttons active again, the background teach too when
// the background mode is 2.
int CC_BTNStop(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);

// Both loops: the store selector switched to the sensor's RAM.
void ForceStoreToRam();
// Both loops: the Run, Data and Get buttons dimmed (1) or active (0).
void DimLoopButtons(int dimmed);
// The background teach button and its lamp dimmed (1) or active (0).
void DimBackgroundTeach(int dimmed);
// Both loops: the commands that would take the loop's replies (set-point
// teach, background teach, port selector) dimmed while a loop runs (1) and
// active again when it has ended (0); the background teach only in background
// mode 2, the one mode that offers it.
void GuardLoopCommands(int running);
