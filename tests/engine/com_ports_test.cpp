// The port selector's words for a device, and a port let go and taken back.
#include <QSerialPort>

#include "runtime/com_devices.h"
#include "tests/engine/serial_test_port.h"
#include "tests/support/wait.h"

namespace {

TEST(ComPortLabels, SayWhereEachPortLeadsAndWhatGrantsAccess) {
  const std::pair<ComDevice, std::string> rows[] = {
      {{"/dev/ttyUSB0", "/dev/ttyUSB0", 5, false, true, false, "FT232R USB UART", "A1B2C3"},
       "COM5  /dev/ttyUSB0  FT232R USB UART  S/N A1B2C3"},
      {{"/dev/ttyUSB1", "", 6, false, false, false, "", ""}, "COM6  /dev/ttyUSB1  (absent)"},
      {{"/dev/ttyACM0", "/dev/ttyACM0", 9, false, true, false, "", "77"},
       "COM9  /dev/ttyACM0  S/N 77"},
      {{"/dev/ttyUSB2", "/dev/ttyUSB2", 0, false, true, true, "CP2102", ""},
       "/dev/ttyUSB2  CP2102  (no permission)"},
  };
  for (const auto& [device, text] : rows) {
    const ComPortLabel label = LabelComPort(device);
    EXPECT_EQ(label.text, text);
    // Only the device this user may not open names what grants access.
    EXPECT_EQ(label.toolTip.find("udev rule") != std::string::npos &&
                  label.toolTip.find("group dialout") != std::string::npos,
              device.permissionDenied)
        << text;
  }
}

int g_notified = 0;

TEST_F(SerialPortTest, ASuspendedPortFreesItsDeviceAndResumesWithWhatItWasGiven) {
  ASSERT_EQ(0, SetComTime(kPort, 0.2));
  ASSERT_EQ(0, InstallComCallback(
                   kPort, COM_EVENT_RECEIVE, 4, 0, [](int, int, void*) { ++g_notified; }, nullptr));
  ASSERT_EQ(0, SuspendCom(kPort));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, GetInQLen(kPort));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, SuspendCom(kPort));
  {
    QSerialPort other;
    other.setPortName(QString::fromStdString(pty->slavePath()));
    EXPECT_TRUE(other.open(QIODevice::ReadWrite)) << "the device is free meanwhile";
  }
  ASSERT_EQ(0, ResumeCom(kPort));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, ResumeCom(kPort)) << "nothing suspended any more";
  ASSERT_TRUE(pty->Write(Counting(4)));
  ASSERT_TRUE(WaitUntil([] { return g_notified > 0; }, 2.0)) << "the notification is back";
  char buffer[8] = {};
  ASSERT_EQ(4, ComRd(kPort, buffer, 4));
  const double start = Timer();
  EXPECT_EQ(0, ComRd(kPort, buffer, 1));
  EXPECT_LT(Timer() - start, 1.0) << "the time limit of 0.2 s is kept";
}

}  // namespace
