// How the program tells its observers (app/program_events.h) what it decided.
// Only the program's layers (link/, param/, app/) include this: a feature
// observes, it never tells.
#pragma once

#include <cstdint>

#include "app/program_events.h"

void TellLoopStarted(int32_t loop, double time);
// `words`: the 16 reply words the loop takes (the package, just received).
void TellFrameAccepted(const uint16_t* words, double time);
void TellMeasurementTimedOut(double time);
void TellLoopEnded(int32_t loop, int32_t why);
void TellPortOpened(int32_t port, const char* device);
void TellPortLost(int32_t port);
void TellPortBack(int32_t port);
void TellParametersRead(int32_t store, const uint16_t* set);
void TellParametersSent(int32_t store, const uint16_t* set);
void TellOperationChanged(int32_t operation);
