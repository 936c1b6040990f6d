// What the system knows of the serial devices: presence and access from the
// OS layer, description and serial number from Qt's list of serial ports,
// matched by the device's real path.
#include "runtime/com_devices.h"

#include <QSerialPortInfo>
#include <filesystem>
#include <system_error>

#include "netport/port_url.h"
#include "runtime/rs232.h"
#include "runtime/serial/port_map.h"
#include "runtime/serial/serial_os.h"

namespace {

// The system's word for a device, by real path.
void AddSystemFacts(ComDevice* device, const QList<QSerialPortInfo>& listed) {
  for (const QSerialPortInfo& info : listed) {
    const std::string location = info.systemLocation().toLocal8Bit().toStdString();
    if (SerialDeviceRealPath(location) != device->realPath) continue;
    device->description = info.description().toStdString();
    device->serialNumber = info.serialNumber().toStdString();
    return;
  }
}

// A network port is taken to be there: only a connection could tell, and
// the port selector must not wait for one. Its URL stands for its path.
ComDevice DescribeNetwork(const std::string& url) {
  ComDevice device;
  device.device = url;
  netport::PortUrl parsed;
  std::string error;
  if (!netport::ParsePortUrl(url, &parsed, &error)) return device;
  device.realPath = url;
  device.present = true;
  device.description =
      parsed.transport == netport::Transport::kRfc2217 ? "network, RFC 2217" : "network, raw TCP";
  return device;
}

ComDevice Describe(const std::string& path, const QList<QSerialPortInfo>& listed) {
  if (netport::IsPortUrl(path)) return DescribeNetwork(path);
  ComDevice device;
  device.device = path;
  device.realPath = SerialDeviceRealPath(path);
  device.present = !device.realPath.empty();
  if (!device.present) return device;
  device.permissionDenied = SerialDeviceAccessDenied(path);
  AddSystemFacts(&device, listed);
  return device;
}

// The first port number whose device is `realPath`, 0 none.
int PortOf(const std::string& realPath) {
  for (int port = 1; port <= COM_PORT_COUNT; ++port)
    if (SerialDeviceRealPath(ComPortDevice(port)) == realPath) return port;
  return 0;
}

ComDevice DescribePort(int port, const QList<QSerialPortInfo>& listed) {
  ComDevice device = Describe(ComPortDevice(port), listed);
  device.port = port;
  device.mapped = ComPortMappedExplicitly(port);
  return device;
}

}  // namespace

ComDevice DescribeComPort(int port) {
  if (port < 1 || port > COM_PORT_COUNT) return {};
  return DescribePort(port, QSerialPortInfo::availablePorts());
}

std::vector<ComDevice> DescribeComPorts() {
  const QList<QSerialPortInfo> listed = QSerialPortInfo::availablePorts();
  std::vector<ComDevice> ports;
  for (int port = 1; port <= COM_PORT_COUNT; ++port) ports.push_back(DescribePort(port, listed));
  return ports;
}

std::vector<ComDevice> ListComDevices() {
  const QList<QSerialPortInfo> listed = QSerialPortInfo::availablePorts();
  std::vector<ComDevice> devices;
  const auto known = [&](const std::string& realPath) {
    for (const ComDevice& d : devices)
      if (d.realPath == realPath) return true;
    return false;
  };
  for (const QSerialPortInfo& info : listed) {
    ComDevice device = Describe(info.systemLocation().toLocal8Bit().toStdString(), listed);
    if (!device.present || known(device.realPath)) continue;
    device.port = PortOf(device.realPath);
    device.mapped = device.port > 0 && ComPortMappedExplicitly(device.port);
    devices.push_back(device);
  }
  for (int port = 1; port <= COM_PORT_COUNT; ++port) {
    if (!ComPortMappedExplicitly(port)) continue;
    ComDevice device = DescribePort(port, listed);
    if (!device.present || known(device.realPath)) continue;
    devices.push_back(device);
  }
  return devices;
}

// The folder exists only where the system names USB serial devices that way.
std::string ComDeviceStableName(const ComDevice& device) {
  if (device.realPath.empty()) return "";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/serial/by-id", error)) {
    const std::string link = entry.path().string();
    if (SerialDeviceRealPath(link) == device.realPath) return link;
  }
  return "";
}

bool ClaimComDevice(long long handle) {
  return SerialOsClaimDevice(handle);
}
