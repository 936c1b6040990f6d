#include "cli/qt/run_loop.h"

#include "fields/micrometres.h"
#include "protocol/orders.h"
#include "runtime/event_wait.h"
#include "runtime/utility.h"

namespace cli {
namespace {

constexpr int kEvaluationMode = 5;   // package index of eMode
constexpr int kScaleFactor = 15;     // package index of para15, thousandths
constexpr uint16_t kScaledMode = 2;  // the evaluation mode the scale factor is in force in

}  // namespace

bool ReadRunSensor(SensorLink& link, RunSensor* sensor) {
  if (!link.Exchange(protocol::kReadRam, protocol::Words{}, &sensor->parameters) ||
      !link.ReadFirmware(&sensor->firmware) ||
      !ReadCcd(link, &sensor->pixels, &sensor->ccdType, nullptr)) {
    return false;
  }
  sensor->pitchNm = fields::PixelPitchNm(sensor->ccdType);
  sensor->scale = sensor->parameters[kEvaluationMode] == kScaledMode
                      ? static_cast<float>(sensor->parameters[kScaleFactor]) / 1000.0f
                      : 1.0f;
  return true;
}

RunEnd RunMeasurements(SensorLink& link, const protocol::Words& parameters, double duration,
                       const FrameSink& sink) {
  const double start = Timer();
  for (;;) {
    if (TerminationRequested()) return RunEnd::kInterrupted;
    RunFrame frame;
    if (!link.Exchange(protocol::kMeasure, parameters, &frame.words)) {
      return link.Interrupted() ? RunEnd::kInterrupted : RunEnd::kFailed;
    }
    frame.seconds = Timer() - start;
    if (!sink(frame)) return RunEnd::kStopped;
    if (duration > 0.0 && Timer() - start >= duration) return RunEnd::kStopped;
  }
}

}  // namespace cli
