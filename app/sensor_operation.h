// One operation talks to the sensor at a time. Every exchange waits for its
// reply while events are processed, so without a rule a second command would
// run inside the first one's wait and take its reply (a measurement frame
// taken as the RAM set, the start-up's defaults sent by a Run). The rule:
//
// - a command that talks to the sensor first claims it (BeginSensorOperation)
//   and does nothing when another operation holds it; a keyboard shortcut or a
//   nested callback that still reaches it is turned away here;
// - while an operation runs, every other command that would talk to the sensor
//   is dimmed, and it comes back when the operation ends (EndSensorOperation);
//   Stop and closing the window stay available;
// - features beside the program claim it the same way for their exchanges
//   (app/program_face.h) and dim their own commands when they are told of the
//   change (operationChanged, app/program_events.h).
#pragma once

#include <cstdint>

#include "app/program_events.h"  // the operations' codes; observers hear of each change

extern int32_t sensorOperation;

// Claims the sensor for `operation`: 1 when nothing else talks to it, and
// every command that would is dimmed until EndSensorOperation; 0 when another
// operation holds it, and then nothing changes.
int BeginSensorOperation(int32_t operation);
// Ends the running operation: the commands come back (the background teach
// only in background mode 2, the one mode that offers it).
void EndSensorOperation();
// With no operation running: the commands in the states they take then (what
// Stop does when nothing runs).
void OfferSensorCommands();
// The background teach and its lamp offered (0) or dimmed (1); offered only
// while no operation runs, else it comes back when the operation ends.
void DimBackgroundTeach(int dimmed);

// What the operation is called in the status line: "Run", "the bring-up", ...
const char* SensorOperationName(int32_t operation);
