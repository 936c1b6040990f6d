#include "app/program_events.h"

#include <cstring>

#include "app/program_events_tell.h"

namespace {

const ProgramObserver* observers[MAX_PROGRAM_OBSERVERS] = {};
// How many slots are in use: a program without observers looks no further.
int32_t observerCount = 0;

// Calls `member` of every observer that has it. An observer removed while
// others are told is not told afterwards; one added then is told from the
// next event on (its slot may or may not come later in this round).
template <class Member, class... Args>
void Tell(Member member, const Args&... args) {
  if (observerCount == 0) return;
  for (const ProgramObserver* observer : observers) {
    if (observer == nullptr || observer->*member == nullptr) continue;
    (observer->*member)(observer->context, args...);
  }
}

}  // namespace

int AddProgramObserver(const ProgramObserver* observer) {
  for (const ProgramObserver* o : observers)
    if (o == observer) return 1;
  for (const ProgramObserver*& o : observers) {
    if (o != nullptr) continue;
    o = observer;
    ++observerCount;
    return 1;
  }
  return 0;
}

void RemoveProgramObserver(const ProgramObserver* observer) {
  for (const ProgramObserver*& o : observers) {
    if (o != observer || observer == nullptr) continue;
    o = nullptr;
    --observerCount;
  }
}

void TellLoopStarted(int32_t loop, double time) {
  Tell(&ProgramObserver::loopStarted, loop, time);
}

void TellFrameAccepted(const uint16_t* words, double time) {
  if (observerCount == 0) return;
  AcceptedFrame frame;
  std::memcpy(frame.words, words, sizeof frame.words);
  frame.time = time;
  frame.firstByteTime = -1.0;
  Tell(&ProgramObserver::frameAccepted, frame);
}

void TellMeasurementTimedOut(double time) {
  Tell(&ProgramObserver::measurementTimedOut, time);
}

void TellLoopEnded(int32_t loop, int32_t why) {
  Tell(&ProgramObserver::loopEnded, loop, why);
}

void TellPortOpened(int32_t port, const char* device) {
  Tell(&ProgramObserver::portOpened, port, device);
}

void TellPortLost(int32_t port) {
  Tell(&ProgramObserver::portLost, port);
}

void TellPortBack(int32_t port) {
  Tell(&ProgramObserver::portBack, port);
}

void TellParametersRead(int32_t store, const uint16_t* set) {
  Tell(&ProgramObserver::parametersRead, store, set);
}

void TellParametersSent(int32_t store, const uint16_t* set) {
  Tell(&ProgramObserver::parametersSent, store, set);
}

void TellOperationChanged(int32_t operation) {
  Tell(&ProgramObserver::operationChanged, operation);
}
