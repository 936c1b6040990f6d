#include "monitor/qt/line_monitor.h"

#include <QApplication>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/program_face.h"
#include "monitor/frame_decode.h"
#include "monitor/line_log.h"
#include "monitor/link_health.h"
#include "monitor/qt/link_light.h"
#include "monitor/qt/monitor_window.h"
#include "monitor/tap_feed.h"
#include "monitor/trace_file.h"
#include "runtime/feature_window.h"
#include "runtime/file_write.h"
#include "runtime/panel_slots.h"
#include "runtime/serial_tap.h"
#include "runtime/utility.h"

namespace {

constexpr size_t kLogCapacity = 10000;
constexpr int kTickMs = 250;  // time-outs noticed, light refreshed: 4 times a second
// The panel's places for the monitor: the button on the top row (before the
// port selector in the keyboard's order), the light right of the status
// line's label.
constexpr char kButtonSlot[] = "top-row";
constexpr char kLightSlot[] = "status-label";

// The widgets' side: exists once the application does.
class MonitorUi : public QObject {
 public:
  MonitorUi();
  ~MonitorUi() override;

  void LogGrew() {
    if (window_) window_->LogGrew();
  }

 private:
  static void Attach(int panel, void* ui) { static_cast<MonitorUi*>(ui)->attach(panel); }
  void attach(int panel);
  void tick();
  void showWindow();

  QTimer tick_;
  int panel_ = 0;
  QPointer<QPushButton> button_;
  QPointer<LinkLight> light_;
  QPointer<MonitorWindow> window_;
};

struct Monitor {
  monitor::LineLog log{kLogCapacity};
  monitor::LinkHealth health;
  double openedAt = 0.0;  // Timer() seconds of the last opening: the log's time zero
  bool opened = false;
  RecordFile trace;
  std::string tracePath;
  MonitorUi* ui = nullptr;
};

Monitor* g_monitor = nullptr;

// The trace file refused an entry: it keeps every whole line before it and is
// closed, and the operator hears of it at once, on stderr and in the status line.
void TraceStopped(const std::string& reason) {
  const std::string text = "Trace stopped: " + g_monitor->tracePath + ": " + reason;
  std::fprintf(stderr, "%s\n", text.c_str());
  SayInStatusLine(QString::fromLocal8Bit(text.c_str()).toLatin1().constData());
}

double NowMs() {
  return g_monitor->opened ? (Timer() - g_monitor->openedAt) * 1000.0 : 0.0;
}

void OnEntry(const monitor::LineEntry& entry) {
  g_monitor->health.Add(entry);
  if (g_monitor->trace.IsOpen()) {
    const std::string reason =
        g_monitor->trace.Append(monitor::TraceLine(entry, monitor::DescribeEntry(entry)));
    if (!reason.empty()) TraceStopped(reason);
  }
  if (g_monitor->ui != nullptr) g_monitor->ui->LogGrew();
}

void OnTap(const SerialTapRecord& r, void*) {
  if (r.kind == SerialTapKind::kOpened) {
    g_monitor->openedAt = r.time;
    g_monitor->opened = true;
  }
  monitor::FeedLineLog(g_monitor->log, r);
}

MonitorUi::MonitorUi() {
  InstallLinkLightAccessibility();
  tick_.setInterval(kTickMs);
  connect(&tick_, &QTimer::timeout, this, [this] { tick(); });
  tick_.start();
  // At once for a panel the program has shown before the monitor came (tests).
  AddPanelSlotsListener(&MonitorUi::Attach, this);
}

MonitorUi::~MonitorUi() {
  RemovePanelSlotsListener(&MonitorUi::Attach, this);
  delete button_;
  delete light_;
  delete window_;
}

void MonitorUi::attach(int panel) {
  panel_ = panel;
  button_ = new QPushButton;
  button_->setAutoDefault(false);
  connect(button_, &QPushButton::clicked, this, [this] { showWindow(); });
  if (AddSlotCommand(panel, kButtonSlot, button_,
                     {"Line monitor", "Line monitor", "The exchanges on the sensor line (Ctrl+L)",
                      QKeySequence(Qt::CTRL | Qt::Key_L), 0}) != 0)
    delete button_;

  light_ = new LinkLight(nullptr);
  const double now = NowMs();
  light_->Show(g_monitor->health.At(now), now);
  if (AddSlotIndicator(panel, kLightSlot, light_) != 0) delete light_;
}

void MonitorUi::tick() {
  g_monitor->log.Tick(Timer());
  const double now = NowMs();
  if (light_) light_->Show(g_monitor->health.At(now), now);
}

void MonitorUi::showWindow() {
  if (!window_) window_ = new MonitorWindow(g_monitor->log);
  OpenFeatureWindow(window_, PanelWindowOf(panel_));
}

void CreateUi() {
  if (g_monitor != nullptr && g_monitor->ui == nullptr) g_monitor->ui = new MonitorUi;
}

}  // namespace

bool InstallLineMonitor(const char* traceFile) {
  if (g_monitor != nullptr) return true;
  auto monitor = std::make_unique<Monitor>();
  if (traceFile != nullptr) {
    monitor->tracePath = traceFile;
    std::string reason = monitor->trace.Create(traceFile);
    if (reason.empty()) reason = monitor->trace.Append(monitor::TraceHeader());
    if (!reason.empty()) {
      std::fprintf(stderr, "%s: cannot create the trace file: %s\n", traceFile, reason.c_str());
      return false;
    }
  }
  g_monitor = monitor.release();
  g_monitor->log.SetListener(OnEntry);
  SetSerialTap(OnTap, nullptr);
  // The widgets wait for the application; with one already there (tests),
  // they come at once.
  static bool preRoutineAdded = false;
  if (QCoreApplication::instance() != nullptr) {
    CreateUi();
  } else if (!preRoutineAdded) {
    preRoutineAdded = true;
    qAddPreRoutine(CreateUi);
  }
  return true;
}

void UninstallLineMonitor() {
  if (g_monitor == nullptr) return;
  SetSerialTap(nullptr, nullptr);
  delete g_monitor->ui;
  if (const std::string reason = g_monitor->trace.Close(); !reason.empty()) TraceStopped(reason);
  delete g_monitor;
  g_monitor = nullptr;
}
