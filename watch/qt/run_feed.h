// The measurement frames the program takes, Run by Run, for the features
// that watch and keep them (the trend, the statistics, the recording).
//
// A Run is an acquisition loop (Run or Video data) from its start to its end,
// as the program tells them (app/program_events.h); a frame is one the loop
// took for its scope. Nothing is guessed from the line, and nothing needs the
// line monitor.
#pragma once

#include <array>
#include <cstdint>

#include "fields/words.h"

namespace watch {

struct RunFrame {
  double runMs = 0.0;  // since the Run's start, by the program's clock
  std::array<uint16_t, fields::kMeasurementWords> words{};  // frame order
};

// Called on the user-interface thread, in the order the program decided.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void RunStarted() {}
  virtual void FrameReceived(const RunFrame&) {}
  // A measurement request whose reply did not come within its limit.
  virtual void TimedOut() {}
  virtual void RunEnded() {}
};

// Observers are not owned; remove one before it is destroyed.
void AddRunObserver(RunObserver* observer);
void RemoveRunObserver(RunObserver* observer);

// Whether a Run is in progress as the program told it.
bool RunInProgress();
// Whether the last Run ended because the sensor's device went away.
bool LastRunLostTheSensor();

}  // namespace watch
