// The measurement loop of a Run, as the desktop program's Run goes round:
// the Measure order with the sensor's own parameter set, sent again as soon
// as the frame answering the last one is in, so frames come at the line's
// rate. The engine wakes once a frame. watch prints the frames; any other
// reader of a Run (a publisher) reads the sensor the same way
// (ReadRunSensor) and takes the frames through a sink of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cli/qt/sensor_link.h"
#include "protocol/frame.h"

namespace cli {

// What a Run needs of its sensor before the first frame, and what its readers
// tell beside the frames.
struct RunSensor {
  protocol::Words parameters{};  // the set in RAM: sent with every request
  std::string firmware;          // Latin-1, as the sensor sent it
  uint16_t ccdType = 0, pixels = 0;
  int32_t pitchNm = 0;  // the line's pixel pitch
  float scale = 1.0f;   // the scale factor in force for the measured value
};

// The RAM set (order 2), the firmware text (order 7) and the CCD information
// (order 10); false with the link's failure.
bool ReadRunSensor(SensorLink& link, RunSensor* sensor);

struct RunFrame {
  double seconds = 0.0;  // since the Run's first request
  protocol::Words words{};
};

enum class RunEnd {
  kStopped,      // the sink had enough, or the duration passed
  kInterrupted,  // SIGTERM or SIGINT (WatchTerminationSignals)
  kFailed,       // the link failed: link.Failure() says why
};

// Returns false to end the Run. Called between two requests: what it does
// delays the next one, so it must not wait for anything.
using FrameSink = std::function<bool(const RunFrame&)>;

// Runs until the sink ends it, `duration` seconds have passed (0: no limit),
// a signal asks for the end, or the link fails (a time-out, the port lost).
// `parameters` go with every request: the set the sensor holds in RAM, so that
// the Run leaves it as it was.
RunEnd RunMeasurements(SensorLink& link, const protocol::Words& parameters, double duration,
                       const FrameSink& sink);

}  // namespace cli
