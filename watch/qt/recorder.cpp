#include "watch/qt/recorder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTemporaryFile>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "display/controls.h"
#include "fields/micrometres.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "runtime/file_write.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "watch/qt/main_panel.h"
#include "watch/qt/run_feed.h"
#include "watch/recording_csv.h"

namespace {

// Beside "Teach set-point" in the row of loop commands (panel pixels), and
// after it in the keyboard's order, before Export when that is there.
constexpr int kLeft = 524, kTop = 596, kWidth = 84, kHeight = 34;
constexpr char kTeachButton[] = "Teach set-point";
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
  void Attach(QWidget* panel, QWidget* canvas);
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
  QPointer<QShortcut> shortcut_;
  QByteArray path_;        // the chosen file (local 8-bit); empty while not armed
  RecordFile file_;        // open while recording
  int32_t pitchNm_ = 0;
  long frames_ = 0;
  QDateTime runStarted_;  // when the Run in progress (or the last one) started
  // The count of a recording whose Run ended on a lost sensor, shown once the
  // loss has stood for a readable moment.
  QTimer countLater_;
  watch::MainPanelWatcher watcher_;  // last: it may attach at once
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

Recorder::Recorder()
    : watcher_([this](QWidget* panel, QWidget* canvas) { Attach(panel, canvas); }) {
  countLater_.setSingleShot(true);
  countLater_.setInterval(kReadableMs);
  // Observed from the start, so that a Run already going when the operator
  // checks Record is known as one.
  watch::AddRunObserver(this);
}

Recorder::~Recorder() {
  watch::RemoveRunObserver(this);
  countLater_.stop();
  Close();
  delete shortcut_;
  delete button_;
}

void Recorder::Attach(QWidget* panel, QWidget* canvas) {
  // A new main panel starts without a recording (tests start the program afresh).
  countLater_.stop();
  Close();
  path_.clear();
  button_ = new QPushButton("Record", canvas);
  button_->setCheckable(true);
  button_->setAccessibleName("Record");
  button_->setToolTip("Record every measurement frame of a Run to a CSV file (Ctrl+R)");
  button_->setAutoDefault(false);
  button_->setGeometry(kLeft, kTop, kWidth, kHeight);
  QObject::connect(button_, &QPushButton::toggled, button_,
                   [this](bool checked) { Toggled(checked); });
  for (QPushButton* teach : canvas->findChildren<QPushButton*>()) {
    if (teach->accessibleName() != kTeachButton) continue;
    QWidget::setTabOrder(teach, button_);
    break;
  }
  button_->show();

  shortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), panel);
  QObject::connect(shortcut_, &QShortcut::activated, button_, [this] { button_->toggle(); });
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
  pitchNm_ = fields::PixelPitchNm(ccdtype);

  watch::RecordingInfo info;
  // The Run's start, as the rows' times count from it.
  info.started = runStarted_.toString("yyyy-MM-dd HH:mm:ss").toStdString();
  info.port = "COM" + std::to_string(com);
  info.device = ComPortDevice(com);
  info.firmware = szVersion;
  info.ccd = CcdDescription(ccdtype);
  info.pitchNm = pitchNm_;
  for (int i = 0; i < fields::kParameterWords; ++i) info.parameters[i] = *ParameterVariable(i);
  if (Write(watch::RecordingHeader(info))) Say(QString("Recording to %1").arg(Path()));
}

void Recorder::FrameReceived(const watch::RunFrame& frame) {
  if (!file_.IsOpen()) return;
  // Since the Run's start, also for a recording begun during the Run.
  const int64_t ms = std::max<int64_t>(0, std::llround(frame.runMs));
  if (Write(watch::RecordingRow(ms, frame.words, pitchNm_, scaleF))) ++frames_;
}

void Recorder::RunEnded() {
  if (!file_.IsOpen()) return;
  if (PortLost() == 1) {
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
  char shown[256] = "";
  GetCtrlVal(panelHandle, TEXT_Status, shown, sizeof shown);
  const QString loss = QString::fromLatin1(shown);
  Finish(QString());
  countLater_.disconnect();
  QObject::connect(&countLater_, &QTimer::timeout, [count, loss] {
    char now[256] = "";
    GetCtrlVal(panelHandle, TEXT_Status, now, sizeof now);
    if (QString::fromLatin1(now) == loss) Say(count);
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
