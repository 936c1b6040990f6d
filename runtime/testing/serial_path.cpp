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

std::map<std::string, std::string>& UsbSerials() {
  static std::map<std::string, std::string> serials;
  return serials;
}

std::string UsbSerialForTests(const std::string& realPath) {
  const auto found = UsbSerials().find(realPath);
  return found == UsbSerials().end() ? std::string() : found->second;
}

}  // namespace

void SetComUsbSerialForTests(const std::string& device, const std::string& serial) {
  const std::string realPath = SerialDeviceRealPath(device);
  if (serial.empty()) {
    UsbSerials().erase(realPath);
  } else {
    UsbSerials()[realPath] = serial;
  }
  g_serialChannelSeams.usbSerial = UsbSerialForTests;
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
