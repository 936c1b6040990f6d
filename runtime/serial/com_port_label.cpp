// The port selector's words for a device. Pure: facts in, text out.
#include "runtime/com_devices.h"

ComPortLabel LabelComPort(const ComDevice& device) {
  ComPortLabel label;
  if (device.port > 0) label.text = "COM" + std::to_string(device.port) + "  ";
  label.text += device.device;
  if (!device.present) {
    label.text += "  (absent)";
    return label;
  }
  if (!device.description.empty()) label.text += "  " + device.description;
  if (!device.serialNumber.empty()) label.text += "  S/N " + device.serialNumber;
  if (device.permissionDenied) {
    label.text += "  (no permission)";
    label.toolTip = "No permission to open " + device.device +
                    ". Access comes with the Vantrel package's udev rule, which gives the "
                    "person at the seat the USB-serial adapters (plug the adapter in again "
                    "after installing it), or with membership of the group dialout "
                    "(sudo usermod -aG dialout $USER, then log in again).";
  }
  return label;
}
