#include <QSocketNotifier>
#include <map>
#include <string>

#include "runtime/serial/serial_channel.h"
#include "runtime/serial/serial_os.h"
#include "runtime/testing/serial_inspect.h"

namespace {

// A notifier the port does not know of, switched off so that it never fires.
void AddSecondReadNotifier(QSerialPort& port) {
  auto* extra = new QSocketNotifier(qintptr(port.handle()), QSocketNotifier::Read, &port);
  extra->setEnabled(false);
}

// By the device itself, not its name: another process's new pseudo-terminal
// may take the name of one that has gone.
using DeviceKey = std::pair<unsigned long long, long long>;
std::map<DeviceKey, std::string>& UsbSerials() {
  static std::map<DeviceKey, std::string> serials;
  return serials;
}

std::string UsbSerialForTests(const SerialDeviceIdentity& device) {
  const auto found = UsbSerials().find({device.number, device.instance});
  return found == UsbSerials().end() ? std::string() : found->second;
}

}  // namespace

void SetComUsbSerialForTests(const std::string& device, const std::string& serial) {
  g_serialChannelSeams.usbSerial = UsbSerialForTests;
  const SerialDeviceIdentity identity = SerialDeviceIdentityOf(device);
  if (serial.empty()) {
    UsbSerials().erase({identity.number, identity.instance});
  } else {
    UsbSerials()[{identity.number, identity.instance}] = serial;
  }
}

void ClearComUsbSerialsForTests() {
  UsbSerials().clear();
  g_serialChannelSeams.usbSerial = nullptr;
}

void ChooseComPathForTests(ComPathForTests path) {
  g_serialChannelSeams.portable = path == ComPathForTests::Portable;
  g_serialChannelSeams.opened =
      path == ComPathForTests::UnexpectedNotifier ? AddSecondReadNotifier : nullptr;
}
