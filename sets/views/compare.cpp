#include "sets/views/compare.h"

#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <memory>

#include "app/sensor_operation.h"
#include "runtime/feature_window.h"
#include "sets/views/compare_window.h"
#include "sets/views/send_verify.h"
#include "watch/qt/main_panel.h"

namespace {

// On the title row of the parameter store's frame, at its right end (panel pixels).
constexpr int kLeft = 930, kTop = 524, kWidth = 96, kHeight = 21;
// In the keyboard's order where it stands: after the last parameter above the
// store, before the store itself.
constexpr char kControlBefore[] = "Evaluation to pixel";

struct Compare {
  std::unique_ptr<sets::CompareWindow> window;
  std::unique_ptr<watch::MainPanelWatcher> watcher;
  QPointer<QPushButton> button;
  QPointer<QShortcut> shortcut, verifyShortcut;

  ~Compare() {
    RemoveSensorOperationListener(&Compare::OperationChanged, this);
    delete button;
    delete shortcut;
    delete verifyShortcut;
  }

  // Opening reads the sensor's stores, and verify sends: both wait while
  // another operation talks to the sensor.
  static void OperationChanged(void* compare, int32_t running) {
    auto* self = static_cast<Compare*>(compare);
    for (QObject* command :
         {static_cast<QObject*>(self->button), static_cast<QObject*>(self->shortcut),
          static_cast<QObject*>(self->verifyShortcut)})
      if (command != nullptr) command->setProperty("enabled", running == OPERATION_NONE);
  }

  // The full list of what differs is in the window, when it is open.
  void verify() {
    sets::SendAndVerify();
    if (window && window->isVisible()) window->Refresh();
  }

  void open() {
    if (!window) window = std::make_unique<sets::CompareWindow>();
    OpenFeatureWindow(window.get(), watcher ? watcher->Panel() : nullptr);
    window->Refresh();
  }

  void attach(QWidget* panel, QWidget* canvas) {
    button = new QPushButton("Compare", canvas);
    button->setAccessibleName("Compare");
    button->setToolTip("The sensor's RAM and EEPROM, the panels and a file side by side (Ctrl+D)");
    button->setAutoDefault(false);
    button->setGeometry(kLeft, kTop, kWidth, kHeight);
    QObject::connect(button, &QPushButton::clicked, [this] { open(); });
    for (QWidget* before : canvas->findChildren<QWidget*>()) {
      if (before->accessibleName() != kControlBefore) continue;
      QWidget::setTabOrder(before, button);
      break;
    }
    button->show();
    shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), panel);
    QObject::connect(shortcut, &QShortcut::activated, [this] { open(); });
    verifyShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), panel);
    QObject::connect(verifyShortcut, &QShortcut::activated, [this] { verify(); });
    RemoveSensorOperationListener(&Compare::OperationChanged, this);
    AddSensorOperationListener(&Compare::OperationChanged, this);
    OperationChanged(this, sensorOperation);
  }
};

Compare* g_compare = nullptr;

}  // namespace

void InstallCompare() {
  if (g_compare != nullptr) return;
  g_compare = new Compare;
  watch::WhenApplicationRuns([] {
    if (g_compare == nullptr || g_compare->watcher) return;
    g_compare->watcher = std::make_unique<watch::MainPanelWatcher>(
        [](QWidget* panel, QWidget* canvas) { g_compare->attach(panel, canvas); });
  });
}

void UninstallCompare() {
  delete g_compare;
  g_compare = nullptr;
}
