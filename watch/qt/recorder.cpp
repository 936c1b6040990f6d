#include "watch/qt/recorder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryFile>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/program_face.h"
#include "fields/micrometres.h"
#include "runtime/file_write.h"
#include "runtime/panel_slots.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "watch/qt/run_feed.h"
#include "watch/qt/status_line.h"
#include "watch/recording_csv.h"

namespace {

// The first cell of the command row's slot (after "Teach set-point" in the
// keyboard's order, before Export).
constexpr char kSlot[] = "command-row";
constexpr int kPosition = 0;
constexpr char kFilter[] = "*.csv";
constexpr char kDefaultName[] = "recording.csv";
// How long a text that ended a Run stands before the recording's count follows it.
constexpr int kReadableMs = 2000;

class Recorder : public watch::RunObserver {
 public:
  Recorder();
  ~Recorder() override;

  void RunStarted() override;
  void FrameReceived(const watch::RunFrame& frame) override;
  void RunEnded() override;

 private:
  static void Attach(int panel, void* recorder) { static_cast<Recorder*>(recorder)->Attach(panel); }
  void Attach(int panel);
  void Toggled(bool checked);
  void Begin();
  bool Write(const std::string& text);
  void Finish(const QString& status);
  void Fail(const char* reason) {
    Finish(QString("Recording stopped: %1: %2").arg(Path(), reason));
  }
  void FinishAfterLoss();
  QString Close();
  QString Path() const { return QString::fromLocal8Bit(path_); }
  QString Recorded() const {
    return QString("Recorded %1 frame%2 to %3")
        .arg(frames_)
        .arg(frames_ == 1 ? "" : "s")
        .arg(Path());
  }

  QPointer<QPushButton> button_;
  QByteArray path_;  // the chosen file (local 8-bit); empty while not armed
  RecordFile file_;  // open while recording
  int32_t pitchNm_ = 0;
  long frames_ = 0;
  QDateTime runStarted_;  // when the Run in progress (or the last one) started
  // The count of a recording whose Run ended on a lost sensor, shown once the
  // loss has stood for a readable moment.
  QTimer countLater_;
};

Recorder* g_recorder = nullptr;

// Why no recording can be made at `path`, or "" when one can: an existing
// path must be a file that can be written, a new one needs a folder that
// takes a new file (tried with a file of its own, removed at once).
QString WhyNotRecordable(const QString& path) {
  const QFileInfo file(path);
  if (file.exists()) {
    if (!file.isFile()) return "not a file";
    if (!file.isWritable()) return "Permission denied";
  }
  const QDir folder = file.absoluteDir();
  if (!folder.exists()) return "No such file or directory";
  QTemporaryFile probe(folder.filePath(".vantrel-record-XXXXXX"));
  if (!probe.open()) return probe.errorString();
  return QString();
}

void Say(const QString& text) {
  watch::SayInStatusLine(text);
}

Recorder::Recorder() {
  countLater_.setSingleShot(true);
  countLater_.setInterval(kReadableMs);
  // Observed from the start, so that a Run already going when the operator
  // checks Record is known as one.
  watch::AddRunObserver(this);
  AddPanelSlotsListener(&Recorder::Attach, this);  // last: it may attach at once
}

Recorder::~Recorder() {
  RemovePanelSlotsListener(&Recorder::Attach, this);
  watch::RemoveRunObserver(this);
  countLater_.stop();
  Close();
  delete button_;
}

void Recorder::Attach(int panel) {
  // A new main panel starts without a recording (tests start the program afresh).
  countLater_.stop();
  Close();
  path_.clear();
  button_ = new QPushButton;
  button_->setCheckable(true);
  button_->setAutoDefault(false);
  QObject::connect(button_, &QPushButton::toggled, button_,
                   [this](bool checked) { Toggled(checked); });
  if (AddSlotCommand(
          panel, kSlot, button_,
          {"Record", "Record", "Record every measurement frame of a Run to a CSV file (Ctrl+R)",
           QKeySequence(Qt::CTRL | Qt::Key_R), kPosition}) != 0)
    delete button_;
}

void Recorder::Toggled(bool checked) {
  if (!checked) {
    if (file_.IsOpen()) {
      Finish(Recorded());
    } else if (!path_.isEmpty()) {
      path_.clear();
      Say("Recording cancelled: no Run started");
    }
    return;
  }
  char path[UI_PATH_MAX] = "";
  const QByteArray dir = QDir::currentPath().toLocal8Bit();
  const int chosen = FileSelectPopup(dir.constData(), kDefaultName, kFilter, "Record to",
                                     UI_FILE_BUTTON_OK, 0, 1, 1, 1, path);
  if (chosen <= 0) {
    Finish(chosen < 0 ? "Recording not started: no file dialog could be shown" : QString());
    return;
  }
  // A file that cannot be made is said now, not when a Run starts.
  const QString refused = WhyNotRecordable(QString::fromLocal8Bit(path));
  if (!refused.isEmpty()) {
    Finish(QString("Recording not started: %1: %2").arg(QString::fromLocal8Bit(path), refused));
    return;
  }
  path_ = path;
  if (watch::RunInProgress()) {
    Begin();
  } else {
    Say(QString("Recording to %1: waiting for a Run").arg(Path()));
  }
}

void Recorder::RunStarted() {
  runStarted_ = QDateTime::currentDateTime();
  if (!path_.isEmpty() && !file_.IsOpen()) Begin();
}

void Recorder::Begin() {
  // Opening a named pipe would wait for a reader; a device is no file to keep.
  const QFileInfo existing(Path());
  if (existing.exists() && !existing.isFile()) {
    Fail("not a file");
    return;
  }
  if (const std::string reason = file_.Create(path_.toStdString()); !reason.empty()) {
    Fail(reason.c_str());
    return;
  }
  frames_ = 0;
  SensorIdentity sensor;
  GetSensorIdentity(&sensor);
  ParameterSnapshot set;
  GetParameterSnapshot(&set);
  pitchNm_ = fields::PixelPitchNm(sensor.ccdType);

  watch::RecordingInfo info;
  // The Run's start, as the rows' times count from it.
  info.started = runStarted_.toString("yyyy-MM-dd HH:mm:ss").toStdString();
  info.port = "COM" + std::to_string(sensor.port);
  info.device = sensor.device;
  info.firmware = sensor.firmware;
  info.ccd = sensor.ccdDescription;
  info.pitchNm = pitchNm_;
  for (int i = 0; i < fields::kParameterWords; ++i) info.parameters[i] = set.set[i];
  if (Write(watch::RecordingHeader(info))) Say(QString("Recording to %1").arg(Path()));
}

void Recorder::FrameReceived(const watch::RunFrame& frame) {
  if (!file_.IsOpen()) return;
  // Since the Run's start, also for a recording begun during the Run.
  const int64_t ms = std::max<int64_t>(0, std::llround(frame.runMs));
  // The scale factor as it stands at each frame, as the read-outs show it.
  ParameterSnapshot set;
  GetParameterSnapshot(&set);
  if (Write(watch::RecordingRow(ms, frame.words, pitchNm_, set.scale))) ++frames_;
}

void Recorder::RunEnded() {
  if (!file_.IsOpen()) return;
  if (watch::LastRunLostTheSensor()) {
    FinishAfterLoss();
  } else if (frames_ == 0) {
    Finish(QString("Recorded no frames to %1: the Run ended without frames").arg(Path()));
  } else {
    Finish(Recorded());
  }
}

// Each record goes to the file as it comes and is handed to the system at
// once: a crash or a kill keeps every frame recorded so far. A record the disk
// refuses ends the recording at once, the file ending with the last whole row,
// and says so on stderr too.
bool Recorder::Write(const std::string& text) {
  const std::string reason = file_.Append(text);
  if (reason.empty()) return true;
  std::fprintf(stderr, "Recording stopped: %s: %s\n", path_.constData(), reason.c_str());
  Fail(reason.c_str());
  return false;
}

// Ends the recording (or the wait for a Run): the file closed, the button
// unchecked, `status` shown unless empty; a disk that refused the last of it
// when closing is said instead.
void Recorder::Finish(const QString& status) {
  const QString refused = Close();
  const QString shown = refused.isEmpty() ? status : refused;
  path_.clear();
  if (button_) {
    const QSignalBlocker quiet(button_.data());
    button_->setChecked(false);
  }
  if (!shown.isEmpty()) Say(shown);
}

// The Run ended because the sensor's device went away: the status line says
// so, and that stands. The recording's count comes as the next text once the
// loss has stood a readable moment, unless another text has come meanwhile.
void Recorder::FinishAfterLoss() {
  const QString count = Recorded() + ", until the sensor was lost";
  const QString loss = watch::StatusLineText();
  Finish(QString());
  countLater_.disconnect();
  QObject::connect(&countLater_, &QTimer::timeout, [count, loss] {
    if (watch::StatusLineText() == loss) Say(count);
  });
  countLater_.start();
}

QString Recorder::Close() {
  const std::string reason = file_.Close();
  if (reason.empty()) return QString();
  return QString("Recording stopped: %1: %2").arg(Path(), QString::fromLocal8Bit(reason.c_str()));
}

}  // namespace

void InstallRecorder() {
  if (g_recorder == nullptr) g_recorder = new Recorder;
}

void UninstallRecorder() {
  delete g_recorder;
  g_recorder = nullptr;
}
