#include "watch/qt/recorder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "display/controls.h"
#include "fields/micrometres.h"
#include "link/port.h"
#include "link/sensor_info.h"
#include "param/params.h"
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
  void Begin(double originMs);
  bool Write(const std::string& text);
  void Finish(const QString& status);
  void Fail(const char* reason) {
    Finish(QString("Recording stopped: %1: %2").arg(Path(), reason));
  }
  void Close();
  QString Path() const { return QString::fromLocal8Bit(path_); }
  QString Recorded() const {
    return QString("Recorded %1 frame%2 to %3")
        .arg(frames_)
        .arg(frames_ == 1 ? "" : "s")
        .arg(Path());
  }

  QPointer<QPushButton> button_;
  QPointer<QShortcut> shortcut_;
  QByteArray path_;            // the chosen file (local 8-bit); empty while not armed
  std::FILE* file_ = nullptr;  // open while recording
  double originMs_ = 0.0;      // the Run time that is the recording's time zero
  int32_t pitchNm_ = 0;
  long frames_ = 0;
  // The Run's clock against the program's, taken at the Run's first frame
  // (one clock read per Run): a recording that begins during a Run starts its
  // time at that moment.
  bool anchored_ = false;
  double anchorRunMs_ = 0.0, anchorSeconds_ = 0.0;
  watch::MainPanelWatcher watcher_;  // last: it may attach at once
};

Recorder* g_recorder = nullptr;

void Say(const QString& text) {
  watch::SayInStatusLine(text);
}

Recorder::Recorder()
    : watcher_([this](QWidget* panel, QWidget* canvas) { Attach(panel, canvas); }) {
  // Observed from the start, so that a Run already going when the operator
  // checks Record is known as one.
  watch::AddRunObserver(this);
}

Recorder::~Recorder() {
  watch::RemoveRunObserver(this);
  Close();
  delete shortcut_;
  delete button_;
}

void Recorder::Attach(QWidget* panel, QWidget* canvas) {
  // A new main panel starts without a recording (tests start the program afresh).
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
    if (file_ != nullptr) {
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
  path_ = path;
  if (watch::RunInProgress()) {
    Begin(anchored_ ? anchorRunMs_ + (Timer() - anchorSeconds_) * 1000.0 : 0.0);
  } else {
    Say(QString("Recording to %1: waiting for a Run").arg(Path()));
  }
}

void Recorder::RunStarted() {
  anchored_ = false;
  if (!path_.isEmpty() && file_ == nullptr) Begin(0.0);
}

void Recorder::Begin(double originMs) {
  // Opening a named pipe would wait for a reader; a device is no file to keep.
  const QFileInfo existing(Path());
  if (existing.exists() && !existing.isFile()) {
    Fail("not a file");
    return;
  }
  file_ = std::fopen(path_.constData(), "wb");
  if (file_ == nullptr) {
    Fail(std::strerror(errno));
    return;
  }
  originMs_ = originMs;
  frames_ = 0;
  pitchNm_ = fields::PixelPitchNm(ccdtype);

  watch::RecordingInfo info;
  info.started = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
  info.port = "COM" + std::to_string(com);
  info.device = ComPortDevice(com);
  info.firmware = szVersion;
  info.ccd = CcdDescription(ccdtype);
  info.pitchNm = pitchNm_;
  for (int i = 0; i < fields::kParameterWords; ++i) info.parameters[i] = *ParameterVariable(i);
  if (Write(watch::RecordingHeader(info))) Say(QString("Recording to %1").arg(Path()));
}

void Recorder::FrameReceived(const watch::RunFrame& frame) {
  if (file_ == nullptr) {
    if (!anchored_) {
      anchored_ = true;
      anchorRunMs_ = frame.runMs;
      anchorSeconds_ = Timer();
    }
    return;
  }
  const int64_t ms = std::max<int64_t>(0, std::llround(frame.runMs - originMs_));
  if (Write(watch::RecordingRow(ms, frame.words, pitchNm_, scaleF))) ++frames_;
}

void Recorder::RunEnded() {
  anchored_ = false;
  if (file_ != nullptr) Finish(Recorded());
}

// Each record goes to the file as it comes and is flushed at once: a crash or
// a kill keeps every frame recorded so far.
bool Recorder::Write(const std::string& text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) == text.size() && std::fflush(file_) == 0)
    return true;
  Fail(std::strerror(errno != 0 ? errno : EIO));
  return false;
}

// Ends the recording (or the wait for a Run): the file closed, the button
// unchecked, `status` shown unless empty.
void Recorder::Finish(const QString& status) {
  Close();
  path_.clear();
  if (button_) {
    const QSignalBlocker quiet(button_.data());
    button_->setChecked(false);
  }
  if (!status.isEmpty()) Say(status);
}

void Recorder::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace

void InstallRecorder() {
  if (g_recorder == nullptr) g_recorder = new Recorder;
}

void UninstallRecorder() {
  delete g_recorder;
  g_recorder = nullptr;
}
