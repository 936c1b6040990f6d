// watch: the measurements of a Run, one row a frame, with the columns of the
// desktop program's recording, each row handed to the reader as it comes.
#include <QDateTime>
#include <cmath>

#include "cli/qt/commands.h"
#include "cli/qt/output.h"
#include "cli/qt/run_loop.h"
#include "cli/results.h"
#include "protocol/ccd.h"
#include "runtime/event_wait.h"
#include "watch/recording_csv.h"
#include "watch/run_statistics.h"

namespace cli {

CommandResult Watch(const Invocation& invocation) {
  CommandResult result;
  SensorLink link(invocation.timeout);
  if (!OpenLink(invocation, &link, &result)) return result;
  // What the recording's header says, and the set the Run sends back.
  RunSensor sensor;
  if (!ReadRunSensor(link, &sensor)) return LinkFailed(link, &result);
  watch::RecordingInfo info;
  info.started = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
  info.port = link.Name();
  info.device = link.Device();
  info.firmware = sensor.firmware;
  info.ccd = protocol::CcdDescription(sensor.ccdType);
  info.pitchNm = sensor.pitchNm;
  info.parameters = sensor.parameters;
  const bool csv = invocation.format == RowFormat::kCsv;
  if (csv && !Print(watch::RecordingHeader(info))) return result;

  // From here Ctrl+C and SIGTERM end the Run between two frames.
  WatchTerminationSignals(nullptr);
  watch::RunStatistics statistics;
  const RunEnd end =
      RunMeasurements(link, sensor.parameters, invocation.duration, [&](const RunFrame& frame) {
        std::array<uint16_t, fields::kMeasurementWords> words{};
        std::copy_n(frame.words.begin(), words.size(), words.begin());
        const int64_t ms = std::llround(frame.seconds * 1000.0);
        const std::string row =
            csv ? watch::RecordingRow(ms, words, sensor.pitchNm, sensor.scale)
                : MeasurementJson(ms, words, sensor.pitchNm, sensor.scale) + "\n";
        if (!Print(row)) return false;  // the reader went away
        statistics.AddFrame(frame.seconds, words[fields::kMeasuredValue],
                            words[fields::kTeachValue], words[fields::kTolerance]);
        return invocation.count == 0 || statistics.Frames() < invocation.count;
      });
  if (end == RunEnd::kFailed && link.TimedOut()) statistics.AddTimeout();
  if (!invocation.quiet && !OutputClosed()) Complain(link.Label() + ": " + statistics.Text());
  if (end == RunEnd::kFailed) LinkFailed(link, &result);
  // With --json the rows end with the Run's result object.
  result.json.Add("frames", statistics.Frames())
      .Add("inside", statistics.Inside())
      .Add("outside", statistics.Outside())
      .Add("timeouts", statistics.Timeouts())
      .Add("min", static_cast<int>(statistics.Min()))
      .Add("max", static_cast<int>(statistics.Max()))
      .AddNumber("mean", statistics.Mean(), 2);
  return result;
}

}  // namespace cli
