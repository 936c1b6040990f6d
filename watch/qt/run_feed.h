// The measurement frames of the sensor line, Run by Run, for the features
// that watch and keep them (the trend, the recording).
//
// A Run is an acquisition loop (Run or Video data) from its first request to
// its end: it starts with the first request sent while the program says a loop
// runs (stop_flag 0), or with the request sent just before it says so
// (the Run command's first) once that request's reply or time-out comes while
// it does, or once that Measure request's time-out comes (the loop has then
// ended already: a Run without frames); it ends when the program says no loop
// runs, noticed at the next request sent or within a tenth of a second.
// Replies that arrive after Stop but before that still belong to it. A frame
// is a 36-byte Measure reply that answers its request (reply sync, order
// echo); anything else on the line is left to the line monitor.
#pragma once

#include <array>
#include <cstdint>

#include "fields/words.h"

namespace watch {

struct RunFrame {
  double runMs = 0.0;  // since the Run's first request, by the line's clock
  std::array<uint16_t, fields::kMeasurementWords> words{};  // frame order
};

// Called on the user-interface thread, in the order things happened on the line.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void RunStarted() {}
  virtual void FrameReceived(const RunFrame&) {}
  // A Measure request whose reply did not come within its limit.
  virtual void TimedOut() {}
  virtual void RunEnded() {}
};

// Observers are not owned; remove one before it is destroyed. The feed listens
// to the line monitor (which must be installed for anything to come) while it
// has observers.
void AddRunObserver(RunObserver* observer);
void RemoveRunObserver(RunObserver* observer);

// Whether a Run is in progress as the feed has seen it.
bool RunInProgress();

}  // namespace watch
