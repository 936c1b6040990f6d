#include "ports/qt/find_sensor.h"

#include <QComboBox>
#include <QEvent>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <memory>

#include "app/sensor_operation.h"
#include "link/port.h"
#include "param/params.h"
#include "ports/qt/find_sensor_window.h"
#include "runtime/com_devices.h"
#include "runtime/feature_window.h"
#include "runtime/rs232.h"
#include "watch/qt/main_panel.h"

namespace {

constexpr char kSelector[] = "Serial port";
// On the selector's label row, at its right end (panel pixels: the panel lays
// it out with the selector when the window is larger or smaller).
constexpr int kButtonRight = 556 + 352, kButtonTop = 10, kButtonWidth = 104;

QString Text(const std::string& s) {
  return QString::fromStdString(s);
}

struct FindSensor : QObject {
  std::unique_ptr<ports::FindSensorWindow> window;
  std::unique_ptr<watch::MainPanelWatcher> watcher;
  QPointer<QPushButton> button;
  QPointer<QShortcut> shortcut;
  QPointer<QComboBox> selector;
  int suspendedPort = 0;  // the program's port, let go for the search

  ~FindSensor() override {
    delete button;
    delete shortcut;
  }

  // The button follows the selector: the program dims it during its loops.
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Only an enabled change is looked at: while the selector is being
    // destroyed it is no longer a combo box, and the pointer must not be read.
    if (event->type() == QEvent::EnabledChange && button && selector && watched == selector.get())
      button->setEnabled(selector->isEnabled());
    return false;
  }

  void open() {
    if (!button || !button->isEnabled() || (window && window->Searching())) return;
    // The search lets go of the program's port: nothing else may talk to the
    // sensor until it has ended (searched()).
    if (BeginSensorOperation(OPERATION_FIND_SENSOR) == 0) return;
    if (!window) {
      window = std::make_unique<ports::FindSensorWindow>();
      window->OnUse([this](const ComDevice& device) { use(device); });
    }
    const int own = com;
    // Let go of the program's port so it can be probed like the others.
    suspendedPort = SuspendCom(own) == 0 ? own : 0;
    std::array<uint16_t, 16> words{};
    for (int i = 0; i < 16; ++i) words[static_cast<size_t>(i)] = pp[i];
    watch::SayInStatusLine("Find sensor: probing the serial ports ...");
    OpenFeatureWindow(window.get(), watcher ? watcher->Panel() : nullptr);
    window->Search(ListComDevices(), words,
                   [this](const std::vector<ports::PortResult>& results) { searched(results); });
  }

  void searched(const std::vector<ports::PortResult>& results) {
    std::string said = ports::SearchSummary(results);
    if (suspendedPort != 0) {
      const int port = suspendedPort;
      suspendedPort = 0;
      if (const int code = ResumeCom(port); code != 0)
        said += "; COM" + std::to_string(port) +
                " could not be opened again: " + OpenErrorMessage(code);
    }
    watch::SayInStatusLine(Text(said));
    EndSensorOperation();
  }

  void use(const ComDevice& device) {
    int port = device.port;
    if (port == 0) {
      std::vector<ports::PortSlot> numbers;
      for (const ComDevice& d : DescribeComPorts()) numbers.push_back({d.present, d.mapped});
      port = ports::FreePortNumber(numbers);
      if (port == 0) {
        watch::SayInStatusLine(
            Text("Find sensor: no free port number for " + device.device + "; nothing changed"));
        return;
      }
      SetComPortDevice(port, device.device.c_str());
      watch::SayInStatusLine(Text("Find sensor: " + device.device + " is COM" +
                                  std::to_string(port) + " for this session"));
    }
    if (!selector) return;
    const int index = selector->findData(port);
    if (index < 0) return;
    watch::SayInStatusLine(Text("Find sensor: COM" + std::to_string(port) + " chosen"));
    // As the operator's choice: the selector's change, then its activation.
    selector->setCurrentIndex(index);
    emit selector->activated(index);
  }

  void attach(QWidget* panel, QWidget* canvas) {
    selector = nullptr;
    for (QComboBox* box : canvas->findChildren<QComboBox*>())
      if (box->accessibleName() == kSelector) selector = box;
    if (!selector) return;
    button = new QPushButton("Find sensor...", canvas);
    button->setAccessibleName("Find sensor");
    button->setToolTip("Look for the sensor on every serial port (Ctrl+Shift+F)");
    button->setAutoDefault(false);
    // As high as the selector's label line.
    button->setGeometry(kButtonRight - kButtonWidth, kButtonTop, kButtonWidth, selector->y() - 1);
    button->setEnabled(selector->isEnabled());
    selector->installEventFilter(this);
    QObject::connect(button, &QPushButton::clicked, [this] { open(); });
    QWidget::setTabOrder(selector, button);
    button->show();
    button->raise();
    shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), panel);
    QObject::connect(shortcut, &QShortcut::activated, [this] { open(); });
  }
};

FindSensor* g_findSensor = nullptr;

}  // namespace

void InstallFindSensor() {
  if (g_findSensor != nullptr) return;
  g_findSensor = new FindSensor;
  watch::WhenApplicationRuns([] {
    if (g_findSensor == nullptr || g_findSensor->watcher) return;
    g_findSensor->watcher = std::make_unique<watch::MainPanelWatcher>(
        [](QWidget* panel, QWidget* canvas) { g_findSensor->attach(panel, canvas); });
  });
}

void UninstallFindSensor() {
  delete g_findSensor;
  g_findSensor = nullptr;
}
