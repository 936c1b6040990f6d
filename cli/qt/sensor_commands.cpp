// check, identify and ports: whether the sensor answers, which sensor it is,
// and which serial ports the machine has.
#include <QSerialPort>
#include <algorithm>
#include <vector>

#include "cli/qt/commands.h"
#include "cli/results.h"
#include "runtime/com_devices.h"

namespace cli {

CommandResult Check(const Invocation& invocation) {
  CommandResult result;
  SensorLink link(invocation.timeout);
  if (!OpenLink(invocation, &link, &result)) return result;
  if (!link.CheckLine()) {
    result.json.Add("answered", false);
    return LinkFailed(link, &result);
  }
  result.json.Add("answered", true);
  result.note = link.Label() + ": the sensor answered the line check\n";
  return result;
}

CommandResult Identify(const Invocation& invocation) {
  CommandResult result;
  SensorLink link(invocation.timeout);
  if (!OpenLink(invocation, &link, &result)) return result;
  Identity identity;
  if (!link.ReadFirmware(&identity.firmware) ||
      !ReadCcd(link, &identity.pixels, &identity.ccdType, &identity.resolution)) {
    return LinkFailed(link, &result);
  }
  AddIdentityJson(&result.json, identity);
  result.data = IdentityText(identity);
  return result;
}

namespace {

// Whether the device can be opened now: opened and claimed as the engine's
// ports claim theirs, then let go at once. Nothing is sent to it.
std::string Availability(const ComDevice& device) {
  if (!device.present) return "absent";
  if (device.permissionDenied) return "no permission";
  QSerialPort port;
  port.setPortName(QString::fromStdString(device.realPath));
  if (!port.open(QIODevice::ReadWrite)) {
    const bool busy = port.error() == QSerialPort::PermissionError && !device.permissionDenied;
    return busy ? "busy" : "cannot open: " + port.errorString().toStdString();
  }
  const bool claimed = ClaimComDevice(static_cast<long long>(port.handle()));
  port.close();
  return claimed ? "free" : "busy";
}

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width - std::min(width, text.size()), ' ');
}

}  // namespace

CommandResult Ports(const Invocation& /*invocation*/) {
  CommandResult result;
  struct Row {
    ComDevice device;
    std::string port, stableName, state;
  };
  std::vector<Row> rows;
  for (const ComDevice& device : ListComDevices()) {
    rows.push_back({device, device.port > 0 ? "COM" + std::to_string(device.port) : "-",
                    ComDeviceStableName(device), Availability(device)});
  }
  std::vector<std::string> json;
  size_t portWidth = 4, deviceWidth = 6, nameWidth = 11, stateWidth = 5;
  for (const Row& row : rows) {
    portWidth = std::max(portWidth, row.port.size());
    deviceWidth = std::max(deviceWidth, row.device.device.size());
    nameWidth = std::max(nameWidth, row.stableName.size());
    stateWidth = std::max(stateWidth, row.state.size());
  }
  result.data = Padded("port", portWidth) + "  " + Padded("device", deviceWidth) + "  " +
                Padded("stable name", nameWidth) + "  " + Padded("state", stateWidth) +
                "  description\n";
  for (const Row& row : rows) {
    const ComDevice& d = row.device;
    std::string described = d.description;
    if (!d.serialNumber.empty())
      described += (described.empty() ? "S/N " : "  S/N ") + d.serialNumber;
    result.data += Padded(row.port, portWidth) + "  " + Padded(d.device, deviceWidth) + "  " +
                   Padded(row.stableName.empty() ? "-" : row.stableName, nameWidth) + "  " +
                   Padded(row.state, stateWidth) + "  " + described + "\n";
    json.push_back(JsonObject()
                       .Add("port", row.port)
                       .Add("device", d.device)
                       .Add("stable_name", row.stableName)
                       .Add("description", d.description)
                       .Add("serial_number", d.serialNumber)
                       .Add("state", row.state)
                       .Text());
  }
  result.json.AddRaw("ports", JsonArray(json));
  return result;
}

}  // namespace cli
