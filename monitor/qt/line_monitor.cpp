#include "monitor/qt/line_monitor.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "monitor/frame_decode.h"
#include "monitor/line_log.h"
#include "monitor/link_health.h"
#include "monitor/qt/link_light.h"
#include "monitor/qt/monitor_window.h"
#include "monitor/tap_feed.h"
#include "monitor/trace_file.h"
#include "runtime/feature_window.h"
#include "runtime/file_write.h"
#include "runtime/serial_tap.h"
#include "runtime/utility.h"

namespace {

constexpr size_t kLogCapacity = 10000;
constexpr int kTickMs = 250;  // time-outs noticed, light refreshed: 4 times a second
// Where the monitor's widgets go on the main panel (panel pixels): the button
// in the top row's free space between the version text and the port selector,
// the light right-aligned on the row of the status line's label.
constexpr char kMainPanel[] = "MainPanel";
constexpr char kPortSelector[] = "Serial port";
constexpr int kButtonLeft = 400, kButtonTop = 26, kButtonWidth = 140, kButtonHeight = 28;
constexpr int kStatusRight = 12 + 688, kStatusTop = 62;

// The widgets' side: exists once the application does.
class MonitorUi : public QObject {
 public:
  MonitorUi();
  ~MonitorUi() override;

  void LogGrew() {
    if (window_) window_->LogGrew();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void attach(QWidget* panel);
  void tick();
  void showWindow();

  QTimer tick_;
  QPointer<QWidget> panel_;
  QPointer<QPushButton> button_;
  QPointer<LinkLight> light_;
  QPointer<QShortcut> shortcut_;
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
void (*g_say)(const char* text) = nullptr;

// The trace file refused an entry: it keeps every whole line before it and is
// closed, and the operator hears of it at once, on stderr and in the status line.
void TraceStopped(const std::string& reason) {
  const std::string text = "Trace stopped: " + g_monitor->tracePath + ": " + reason;
  std::fprintf(stderr, "%s\n", text.c_str());
  if (g_say != nullptr) g_say(text.c_str());
}

struct Listener {
  LineEntryListener fn;
  void* context;
  bool operator==(const Listener&) const = default;
};
std::vector<Listener>& Listeners() {
  static std::vector<Listener> listeners;
  return listeners;
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
  // A copy: a listener may remove itself (or another) while it is called.
  const std::vector<Listener> listeners = Listeners();
  for (const Listener& l : listeners) l.fn(entry, l.context);
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
  qApp->installEventFilter(this);
  // The program may have shown its panel before the monitor came (tests).
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == kMainPanel && w->isVisible()) attach(w);
}

MonitorUi::~MonitorUi() {
  qApp->removeEventFilter(this);
  delete button_;
  delete light_;
  delete shortcut_;
  delete window_;
}

bool MonitorUi::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    if (w->isWindow() && w != panel_ && w->objectName() == kMainPanel) attach(w);
  }
  return false;
}

void MonitorUi::attach(QWidget* panel) {
  auto* canvas = panel->findChild<QWidget*>("panelCanvas");
  if (canvas == nullptr) return;
  panel_ = panel;

  button_ = new QPushButton("Line monitor", canvas);
  button_->setAccessibleName("Line monitor");
  button_->setToolTip("The exchanges on the sensor line (Ctrl+L)");
  button_->setAutoDefault(false);
  button_->setGeometry(kButtonLeft, kButtonTop, kButtonWidth, kButtonHeight);
  connect(button_, &QPushButton::clicked, this, [this] { showWindow(); });
  // In the keyboard's order where it stands: just before the port selector.
  for (QComboBox* ports : canvas->findChildren<QComboBox*>()) {
    if (ports->accessibleName() != kPortSelector) continue;
    QWidget* before = ports->previousInFocusChain();
    while (before != ports && (before->focusPolicy() & Qt::TabFocus) == 0)
      before = before->previousInFocusChain();
    if (before != ports) QWidget::setTabOrder(before, button_);
    break;
  }
  button_->show();

  shortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), panel);
  connect(shortcut_, &QShortcut::activated, this, [this] { showWindow(); });

  light_ = new LinkLight(canvas);
  light_->PlaceRightAligned(kStatusRight, kStatusTop);
  const double now = NowMs();
  light_->Show(g_monitor->health.At(now), now);
  light_->show();
  light_->raise();
}

void MonitorUi::tick() {
  g_monitor->log.Tick(Timer());
  const double now = NowMs();
  if (light_) light_->Show(g_monitor->health.At(now), now);
}

void MonitorUi::showWindow() {
  if (!window_) window_ = new MonitorWindow(g_monitor->log);
  OpenFeatureWindow(window_, panel_);
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

void SetLineMonitorSay(void (*say)(const char* text)) {
  g_say = say;
}

void AddLineEntryListener(LineEntryListener listener, void* context) {
  const Listener l{listener, context};
  auto& listeners = Listeners();
  if (std::find(listeners.begin(), listeners.end(), l) == listeners.end()) listeners.push_back(l);
}

void RemoveLineEntryListener(LineEntryListener listener, void* context) {
  auto& listeners = Listeners();
  listeners.erase(std::remove(listeners.begin(), listeners.end(), Listener{listener, context}),
                  listeners.end());
}
