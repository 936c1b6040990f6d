// The serial devices the system knows, as features beside the program see
// them: where each port number leads, whether its device is there and may be
// opened, and what the system says of the device (USB description, serial
// number). The program's own layers do not include this header.
#pragma once

#include <string>
#include <vector>

struct ComDevice {
  std::string device;    // path as mapped or as the system lists it
  std::string realPath;  // symlinks resolved; "" when the device is absent
  int port = 0;          // COM number leading to this device (1..10), 0 none
  bool mapped = false;   // the number's device comes from VANTREL_COM<n> or SetComPortDevice
  bool present = false;  // the device exists
  bool permissionDenied = false;  // present, but this user may not read and write it
  std::string description;        // the system's description (USB product), "" unknown
  std::string serialNumber;       // the adapter's serial number, "" unknown
};

// Port `port` (1..COM_PORT_COUNT) and its device, looked at now.
ComDevice DescribeComPort(int port);
// Ports 1..COM_PORT_COUNT in order, with one look at the system's list.
std::vector<ComDevice> DescribeComPorts();

// Every serial device the system lists that exists, and every port number
// mapped by VANTREL_COM<n> or SetComPortDevice, each real device once (the
// first port number leading to it is its port). System ports first, in the
// system's order, then the mapped ports not among them by number.
std::vector<ComDevice> ListComDevices();

// A name that stays with the device whichever number the system gave it: its
// link in /dev/serial/by-id; "" none (no USB adapter, absent, or a system
// without such names).
std::string ComDeviceStableName(const ComDevice& device);

// Claims a serial device that a feature opened itself (`handle`: its
// QSerialPort's handle()) as the engine's ports claim theirs: false when a port
// of this program or of another program holds that device, by whatever name
// it was opened. The claim ends when the handle is closed.
bool ClaimComDevice(long long handle);

// What the port selector shows for a device: its item text
// ("COM5  /dev/ttyUSB0  FT232R USB UART  S/N A1B2C3", "COM6  /dev/ttyUSB1  (absent)")
// and a tool tip ("" none) naming what grants access to a device this user
// may not open.
struct ComPortLabel {
  std::string text;
  std::string toolTip;
};
ComPortLabel LabelComPort(const ComDevice& device);
