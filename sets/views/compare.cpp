#include "sets/views/compare.h"

#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <memory>

#include "app/program_face.h"
#include "runtime/feature_window.h"
#include "runtime/panel_slots.h"
#include "sets/views/compare_window.h"
#include "sets/views/send_verify.h"

namespace {

// On the parameter store's frame (after the last parameter above the store in
// the keyboard's order, before the store itself).
constexpr char kSlot[] = "store-frame";

struct Compare {
  std::unique_ptr<sets::CompareWindow> window;
  int panel = 0;
  QPointer<QPushButton> button;
  QPointer<QShortcut> verifyShortcut;
  ProgramObserver program;

  Compare() {
    program.context = this;
    program.operationChanged = &Compare::OperationChanged;
    AddProgramObserver(&program);
    AddPanelSlotsListener(&Compare::Attach, this);  // last: it may attach at once
  }
  ~Compare() {
    RemovePanelSlotsListener(&Compare::Attach, this);
    RemoveProgramObserver(&program);
    delete button;
    delete verifyShortcut;
  }

  // Opening reads the sensor's stores, and verify sends: both wait while
  // another operation talks to the sensor.
  static void OperationChanged(void* compare, int32_t running) {
    auto* self = static_cast<Compare*>(compare);
    for (QObject* command :
         {static_cast<QObject*>(self->button), static_cast<QObject*>(self->verifyShortcut)})
      if (command != nullptr) command->setProperty("enabled", running == OPERATION_NONE);
  }

  // The full list of what differs is in the window, when it is open.
  void verify() {
    sets::SendAndVerify();
    if (window && window->isVisible()) window->Refresh();
  }

  void open() {
    if (!window) window = std::make_unique<sets::CompareWindow>();
    OpenFeatureWindow(window.get(), PanelWindowOf(panel));
    window->Refresh();
  }

  static void Attach(int panel, void* compare) { static_cast<Compare*>(compare)->attach(panel); }

  void attach(int shown) {
    panel = shown;
    button = new QPushButton;
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, [this] { open(); });
    if (AddSlotCommand(panel, kSlot, button,
                       {"Compare", "Compare",
                        "The sensor's RAM and EEPROM, the panels and a file side by side (Ctrl+D)",
                        QKeySequence(Qt::CTRL | Qt::Key_D), 0}) != 0)
      delete button;
    verifyShortcut =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), PanelWindowOf(panel));
    QObject::connect(verifyShortcut, &QShortcut::activated, [this] { verify(); });
    OperationChanged(this, RunningOperation());
  }
};

Compare* g_compare = nullptr;

}  // namespace

void InstallCompare() {
  if (g_compare == nullptr) g_compare = new Compare;
}

void UninstallCompare() {
  delete g_compare;
  g_compare = nullptr;
}
