// What both acquisition loops share: the Stop button and the store they run on.
// The commands dimmed while they run are the one-operation rule's
// (app/sensor_operation.h).
#pragma once

// Stop (left press): ends every running acquisition loop at its next check;
// the commands come back when the loop has ended. With no operation running
// it offers the commands in the states they take then.
int CC_BTNStop(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);

// Both loops: the store selector switched to the sensor's RAM.
void ForceStoreToRam();
