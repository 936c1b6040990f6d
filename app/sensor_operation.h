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
// - features beside the program claim it the same way for their exchanges and
//   dim their own commands through a listener.
#pragma once

#include <cstdint>

// What talks to the sensor now; OPERATION_NONE while nothing does.
constexpr int32_t OPERATION_NONE = 0;
constexpr int32_t OPERATION_BRING_UP = 1;  // start-up, a port chosen, a device back
constexpr int32_t OPERATION_GET = 2;
constexpr int32_t OPERATION_SEND = 3;
constexpr int32_t OPERATION_TEACH = 4;             // the set-point teach
constexpr int32_t OPERATION_BACKGROUND_TEACH = 5;  // from its press to the end of its click
constexpr int32_t OPERATION_RUN = 6;
constexpr int32_t OPERATION_DATA = 7;
constexpr int32_t OPERATION_PARAMETER_SETS =
    8;                                        // Compare's reads, send and verify, backup, restore
constexpr int32_t OPERATION_FIND_SENSOR = 9;  // the search over every port

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

// Told the operation that begins (its code) and its end (OPERATION_NONE), after
// the program's own commands were dimmed or offered. At most
// MAX_OPERATION_LISTENERS at a time; Add returns 0 when full.
using SensorOperationListener = void (*)(void* data, int32_t running);
constexpr int MAX_OPERATION_LISTENERS = 8;
int AddSensorOperationListener(SensorOperationListener listener, void* data);
void RemoveSensorOperationListener(SensorOperationListener listener, void* data);
