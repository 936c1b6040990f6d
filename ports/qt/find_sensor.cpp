#include "ports/qt/find_sensor.h"

#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <memory>

#include "app/program_face.h"
#include "ports/qt/find_sensor_window.h"
#include "runtime/com_devices.h"
#include "runtime/feature_window.h"
#include "runtime/panel_slots.h"
#include "runtime/rs232.h"

namespace {

// On the port selector's label row, at its right end; after the selector in
// the keyboard's order.
constexpr char kSlot[] = "port-selector-label";

void Say(const std::string& text) {
  SayInStatusLine(QString::fromStdString(text).toLatin1().constData());
}

struct FindSensor {
  std::unique_ptr<ports::FindSensorWindow> window;
  int panel = 0;
  QPointer<QPushButton> button;
  int suspendedPort = 0;  // the program's port, let go for the search
  ProgramObserver program;

  FindSensor() {
    program.context = this;
    program.operationChanged = &FindSensor::OperationChanged;
    AddProgramObserver(&program);
    AddPanelSlotsListener(&FindSensor::Attach, this);  // last: it may attach at once
  }
  ~FindSensor() {
    RemovePanelSlotsListener(&FindSensor::Attach, this);
    RemoveProgramObserver(&program);
    delete button;
  }

  // The search talks to every port, the program's too: offered only while
  // nothing else talks to the sensor (the port selector is dimmed then too).
  static void OperationChanged(void* finder, int32_t running) {
    auto* self = static_cast<FindSensor*>(finder);
    if (self->button) self->button->setEnabled(running == OPERATION_NONE);
  }

  void open() {
    if (!button || !button->isEnabled() || (window && window->Searching())) return;
    // The search lets go of the program's port: nothing else may talk to the
    // sensor until it has ended (searched()).
    if (ClaimSensor(OPERATION_FIND_SENSOR) == 0) return;
    if (!window) {
      window = std::make_unique<ports::FindSensorWindow>();
      window->OnUse([this](const ComDevice& device) { use(device); });
    }
    SensorIdentity sensor;
    GetSensorIdentity(&sensor);
    ParameterSnapshot program;
    GetParameterSnapshot(&program);
    // Let go of the program's port so it can be probed like the others.
    suspendedPort = SuspendCom(sensor.port) == 0 ? sensor.port : 0;
    std::array<uint16_t, 16> words{};
    for (int i = 0; i < 16; ++i) words[static_cast<size_t>(i)] = program.set[i];
    Say("Find sensor: probing the serial ports ...");
    OpenFeatureWindow(window.get(), PanelWindowOf(panel));
    window->Search(ListComDevices(), words,
                   [this](const std::vector<ports::PortResult>& results) { searched(results); });
  }

  void searched(const std::vector<ports::PortResult>& results) {
    std::string said = ports::SearchSummary(results);
    if (suspendedPort != 0) {
      const int port = suspendedPort;
      suspendedPort = 0;
      if (const int code = ResumeCom(port); code != 0)
        said +=
            "; COM" + std::to_string(port) + " could not be opened again: " + PortErrorText(code);
    }
    Say(said);
    ReleaseSensor();
  }

  void use(const ComDevice& device) {
    int port = device.port;
    if (port == 0) {
      std::vector<ports::PortSlot> numbers;
      for (const ComDevice& d : DescribeComPorts()) numbers.push_back({d.present, d.mapped});
      port = ports::FreePortNumber(numbers);
      if (port == 0) {
        Say("Find sensor: no free port number for " + device.device + "; nothing changed");
        return;
      }
      SetComPortDevice(port, device.device.c_str());
      Say("Find sensor: " + device.device + " is COM" + std::to_string(port) + " for this session");
    }
    if (port < 1 || port > COM_PORT_COUNT) return;
    Say("Find sensor: COM" + std::to_string(port) + " chosen");
    // As the operator's choice in the port selector: one bring-up.
    ChoosePort(port);
  }

  static void Attach(int panel, void* finder) { static_cast<FindSensor*>(finder)->attach(panel); }

  void attach(int shown) {
    panel = shown;
    button = new QPushButton;
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, [this] { open(); });
    if (AddSlotCommand(panel, kSlot, button,
                       {"Find sensor...", "Find sensor",
                        "Look for the sensor on every serial port (Ctrl+Shift+F)",
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), 0}) != 0)
      delete button;
    OperationChanged(this, RunningOperation());
  }
};

FindSensor* g_findSensor = nullptr;

}  // namespace

void InstallFindSensor() {
  if (g_findSensor == nullptr) g_findSensor = new FindSensor;
}

void UninstallFindSensor() {
  delete g_findSensor;
  g_findSensor = nullptr;
}
