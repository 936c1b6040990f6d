// publish: the measurements of a Run and the sensor's state on an MQTT
// broker. The Run is watch's (run_loop.h); each frame is handed to the
// publisher, which never makes the Run wait. A sensor that stops answering
// is published as lost and asked again until it answers; the port itself
// gone ends the command (exit 3), so that a service manager starts it again.
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "cli/qt/commands.h"
#include "cli/qt/output.h"
#include "cli/qt/run_loop.h"
#include "publish/mosquitto/mqtt_publisher.h"
#include "publish/payloads.h"
#include "publish/publish_config.h"
#include "publish/topics.h"
#include "runtime/event_wait.h"
#include "runtime/rs232.h"
#include "runtime/utility.h"

namespace cli {
namespace {

// At the end, how long the frames still queued may take to reach the broker.
constexpr double kFinishSeconds = 5.0;
// A sensor that does not answer is asked again at most this often.
constexpr double kRetrySeconds = 1.0;

bool ReadText(const std::string& path, std::string* text, std::string* error) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    *error = path + ": " + file.errorString().toStdString();
    return false;
  }
  *text = file.readAll().toStdString();
  return true;
}

// The settings of --config FILE and the command line, checked, and the
// password read from its file; false with the result failed (2: the
// settings do not fit; 4: a file cannot be read or is refused).
bool Settle(const Invocation& invocation, publish::PublishTarget* target, std::string* password,
            CommandResult* result) {
  publish::PublishSettings given;
  given.port = invocation.port;
  given.broker = invocation.mqtt;
  given.clientId = invocation.clientId;
  given.username = invocation.username;
  given.passwordFile = invocation.passwordFile;
  given.cafile = invocation.cafile;
  given.qos = invocation.qos;
  publish::PublishSettings file;
  std::string text, error;
  if (!invocation.config.empty() &&
      (!ReadText(invocation.config, &text, &error) ||
       !publish::ParsePublishConfig(text, invocation.config, &file, &error))) {
    result->Fail(kExitFile, error);
    return false;
  }
  if (!publish::ResolveTarget(publish::Overlay(file, given), target, &error)) {
    result->Fail(kExitUsage, invocation.config.empty() ? error : invocation.config + ": " + error);
    return false;
  }
  if (target->passwordFile.empty()) return true;
  if (!ReadText(target->passwordFile, &text, &error)) {
    result->Fail(kExitFile, error);
    return false;
  }
  *password = text.substr(0, text.find_first_of("\r\n"));
  if (password->empty()) {
    result->Fail(kExitFile, target->passwordFile + ": the first line, the password, is empty");
    return false;
  }
  return true;
}

int64_t UnixMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

CommandResult Publish(const Invocation& invocation) {
  CommandResult result;
  publish::PublishTarget target;
  std::string password;
  if (!Settle(invocation, &target, &password, &result)) return result;
  Invocation sensorSide = invocation;
  sensorSide.port = target.port;
  SensorLink link(invocation.timeout);
  if (!OpenLink(sensorSide, &link, &result)) return result;
  PortArgument port;
  std::string error;
  ParsePortArgument(target.port, &port, &error);  // OpenLink took it already

  publish::PublisherSettings settings;
  settings.broker = target.broker;
  settings.clientId = target.clientId;
  settings.username = target.username;
  settings.password = password;
  settings.cafile = target.cafile;
  settings.qos = target.qos;
  auto publisher = std::make_unique<publish::MqttPublisher>(
      settings, [](const std::string& line) { Complain(line); });
  if (!publisher->Start(&error)) return result.Fail(kExitFile, error);
  const publish::Topics topics = publish::TopicsUnder(target.broker.prefix);

  // From here Ctrl+C and SIGTERM end the Run between two frames.
  WatchTerminationSignals(nullptr);
  const double start = Timer();
  uint64_t frames = 0;
  bool lost = false;      // the sensor stopped answering and has not answered since
  bool portGone = false;  // the port itself went away: the command ends
  const auto remaining = [&] {
    return invocation.duration > 0.0 ? invocation.duration - (Timer() - start) : 1.0;
  };
  const auto ended = [&] {
    return TerminationRequested() || remaining() <= 0.0 || !publisher->Fatal().empty() ||
           (invocation.count > 0 && frames >= static_cast<uint64_t>(invocation.count));
  };
  const auto sensorLost = [&] {
    portGone = GetInQLen(port.number) == RS232_PORT_NOT_OPEN;
    if (portGone) return;
    publisher->SetState(publish::SensorState::kLost);
    if (!lost) Complain(link.Failure() + "; published as lost, asking again");
    lost = true;
  };
  while (!ended()) {
    const double attempt = Timer();
    RunSensor sensor;
    if (!ReadRunSensor(link, &sensor)) {
      if (link.Interrupted()) break;
      sensorLost();
      if (portGone) break;
      // A reply that is no answer fails at once: ask again a moment later.
      const double until = attempt + kRetrySeconds;
      SetWaitDeadline(until);
      while (Timer() < until && !TerminationRequested()) ProcessSystemEvents();
      continue;
    }
    publish::SensorIdentity identity;
    identity.port = link.Name();
    identity.device = link.Device();
    identity.firmware = sensor.firmware;
    identity.ccdType = sensor.ccdType;
    identity.pixels = sensor.pixels;
    publisher->Retain(topics.identity, publish::IdentityPayload(identity));
    publisher->Retain(topics.parameters, publish::ParametersPayload(sensor.parameters));
    publisher->SetState(publish::SensorState::kOnline);
    if (lost) Complain(link.Label() + ": the sensor answers again");
    lost = false;
    // 0: no limit (RunMeasurements' rule).
    const double runFor = invocation.duration > 0.0 ? std::max(remaining(), 1e-3) : 0.0;
    const RunEnd end = RunMeasurements(link, sensor.parameters, runFor, [&](const RunFrame& frame) {
      std::array<uint16_t, fields::kMeasurementWords> words{};
      std::copy_n(frame.words.begin(), words.size(), words.begin());
      publish::FrameStamp stamp;
      stamp.sequence = ++frames;
      stamp.unixMicroseconds = UnixMicroseconds();
      stamp.milliseconds = std::llround((Timer() - start) * 1000.0);
      publisher->Publish(publish::MeasurementPayload(stamp, words, sensor.pitchNm, sensor.scale));
      return !ended();
    });
    if (end != RunEnd::kFailed) break;
    sensorLost();
    if (portGone) break;
  }

  const std::string fatal = publisher->Fatal();
  const bool finished = publisher->Finish(kFinishSeconds);
  const publish::MqttPublisher::Counts counts = publisher->GetCounts();
  if (!finished) publisher.release();  // its thread is stuck in a name lookup; the process ends
  if (!invocation.quiet) {
    std::string line = link.Label() + ": " + std::to_string(frames) + " frames, " +
                       std::to_string(counts.delivered) + " on the broker";
    if (counts.dropped > 0) line += ", " + std::to_string(counts.dropped) + " dropped";
    if (counts.waiting > 0) line += ", " + std::to_string(counts.waiting) + " not delivered";
    Complain(line);
  }
  result.json.Add("broker", publish::BrokerLabel(target.broker))
      .Add("prefix", target.broker.prefix)
      .Add("frames", static_cast<int64_t>(frames))
      .Add("delivered", static_cast<int64_t>(counts.delivered))
      .Add("dropped", static_cast<int64_t>(counts.dropped))
      .Add("undelivered", static_cast<int64_t>(counts.waiting));
  if (!fatal.empty()) return result.Fail(kExitBroker, fatal);
  if (portGone) return LinkFailed(link, &result);
  return result;
}

}  // namespace cli
