#include "cli/qt/fleet.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <memory>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/json.h"
#include "cli/qt/output.h"
#include "cli/sensors_file.h"
#include "cli/summary_table.h"
#include "runtime/event_wait.h"

namespace cli {
namespace {

constexpr qint64 kSensorsFileMax = 64 * 1024;

bool ReadSensors(const std::string& path, std::vector<SensorEntry>* sensors, std::string* failure) {
  const QFileInfo info(QString::fromLocal8Bit(path.c_str()));
  if (!info.exists()) {
    *failure = path + ": no such file";
    return false;
  }
  // A pipe or a device could keep the program waiting for ever.
  if (!info.isFile() || info.size() > kSensorsFileMax) {
    *failure = path + ": not a sensors file";
    return false;
  }
  QFile file(info.filePath());
  if (!file.open(QIODevice::ReadOnly)) {
    *failure = path + ": " + file.errorString().toStdString();
    return false;
  }
  const QByteArray text = file.readAll();
  SensorsFileResult parsed =
      ParseSensorsFile(std::string_view(text.constData(), static_cast<size_t>(text.size())));
  if (!parsed.ok) {
    *failure = path + ": " + parsed.error;
    return false;
  }
  *sensors = std::move(parsed.sensors);
  return true;
}

std::string FirstLine(const QByteArray& text) {
  const QByteArray line = text.left(text.indexOf('\n'));
  return line.trimmed().toStdString();
}

// The sensor's failure as its run said it, without the program's name.
std::string LastLine(const QByteArray& text) {
  const QList<QByteArray> lines = text.trimmed().split('\n');
  std::string line = lines.isEmpty() ? std::string() : lines.back().trimmed().toStdString();
  const std::string prefix = std::string(kProgram) + ": ";
  if (line.rfind(prefix, 0) == 0) line.erase(0, prefix.size());
  return line;
}

}  // namespace

int RunOnEverySensor(const Invocation& invocation) {
  std::vector<SensorEntry> sensors;
  std::string failure;
  if (!ReadSensors(invocation.sensors, &sensors, &failure)) {
    Complain(failure);
    return kExitFile;
  }
  // Every sensor at once: each in a process of its own, on its own port.
  std::vector<std::unique_ptr<QProcess>> runs;
  for (const SensorEntry& sensor : sensors) {
    QStringList arguments{"--port", QString::fromStdString(sensor.port)};
    for (const std::string& arg : invocation.forEachSensor)
      arguments << QString::fromStdString(ForSensor(arg, sensor.name));
    auto run = std::make_unique<QProcess>();
    run->start(QCoreApplication::applicationFilePath(), arguments);
    runs.push_back(std::move(run));
  }
  const auto running = [&] {
    for (const auto& run : runs) {
      if (run->state() != QProcess::NotRunning) return true;
    }
    return false;
  };
  while (running()) ProcessSystemEvents();

  std::vector<SensorOutcome> outcomes;
  std::vector<std::string> json;
  std::string failedNames;
  for (size_t i = 0; i < sensors.size(); ++i) {
    QProcess& run = *runs[i];
    SensorOutcome outcome{sensors[i].name, sensors[i].port, kExitDone, ""};
    const QByteArray out = run.readAllStandardOutput();
    const QByteArray err = run.readAllStandardError();
    if (run.error() == QProcess::FailedToStart) {
      outcome.exitStatus = kExitLine;
      outcome.result = "could not start: " + run.errorString().toStdString();
    } else if (run.exitStatus() != QProcess::NormalExit) {
      outcome.exitStatus = kExitLine;
      outcome.result = "ended by a signal";
    } else {
      outcome.exitStatus = run.exitCode();
      outcome.result = outcome.exitStatus <= kExitDiffer ? FirstLine(out) : LastLine(err);
    }
    if (outcome.exitStatus != kExitDone)
      failedNames += (failedNames.empty() ? "" : ", ") + outcome.name;
    const QByteArray document = out.trimmed();
    JsonObject entry;
    entry.Add("name", outcome.name)
        .Add("port", outcome.port)
        .Add("exit_status", outcome.exitStatus);
    if (document.startsWith('{')) {
      entry.AddRaw("result", document.toStdString());
    } else {
      entry.AddNull("result");
    }
    if (outcome.exitStatus > kExitDiffer) entry.Add("error", LastLine(err));
    json.push_back(entry.Text());
    outcomes.push_back(std::move(outcome));
  }
  const int status = FleetExitStatus(outcomes);
  if (status != kExitDone) {
    Complain(
        invocation.sensors + ": " +
        std::to_string(std::count_if(outcomes.begin(), outcomes.end(),
                                     [](const SensorOutcome& o) { return o.exitStatus != 0; })) +
        " of " + std::to_string(outcomes.size()) + " sensors did not succeed: " + failedNames);
  }
  if (invocation.json) {
    Print(ResultObject(Spec(invocation.command).name, status)
              .AddRaw("sensors", JsonArray(json))
              .Text() +
          "\n");
  } else {
    Print(SummaryTable(outcomes));
  }
  return status;
}

}  // namespace cli
