// Port mapping and opening: which device a port number means and how each
// failure to open it is reported.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/engine/serial_test_port.h"

namespace {

int Open(int port, const char* device = "") {
  return OpenComConfig(port, device, 19200, 0, 8, 1, 4096, 4096);
}

std::string ScratchPath(const char* name) {
  return std::string(testing::TempDir()) + "vantrel_serial_" + name + "_" +
         std::to_string(getpid());
}

class SerialOpen : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int port = 1; port <= COM_PORT_COUNT; ++port) {
      CloseCom(port);
      UnmapPort(port);
    }
  }
};

}  // namespace

TEST_F(SerialOpen, DefaultTableAndEnvironmentOverride) {
  for (int port = 1; port <= COM_PORT_COUNT; ++port) UnmapPort(port);
  EXPECT_STREQ("/dev/ttyS0", ComPortDevice(1));
  EXPECT_STREQ("/dev/ttyS3", ComPortDevice(4));
  EXPECT_STREQ("/dev/ttyUSB0", ComPortDevice(5));
  EXPECT_STREQ("/dev/ttyUSB3", ComPortDevice(8));
  EXPECT_STREQ("/dev/ttyACM0", ComPortDevice(9));
  EXPECT_STREQ("/dev/ttyACM1", ComPortDevice(10));
  EXPECT_STREQ("", ComPortDevice(0));
  EXPECT_STREQ("", ComPortDevice(11));

  MapPort(5, "/tmp/sensor");
  EXPECT_STREQ("/tmp/sensor", ComPortDevice(5));
  const char* five = ComPortDevice(5);
  EXPECT_STREQ("/dev/ttyS1", ComPortDevice(2));
  EXPECT_STREQ("/tmp/sensor", five) << "another port's text does not overwrite it";
  MapPort(5, "");
  EXPECT_STREQ("/dev/ttyUSB0", ComPortDevice(5)) << "an empty variable means the default";
}

TEST_F(SerialOpen, PseudoTerminalBehindASymlinkOpensAndWorks) {
  PtyPair pty(ScratchPath("link"));
  ASSERT_TRUE(pty.ok()) << pty.error();
  MapPort(2, pty.linkPath());
  // A pseudo-terminal refuses DTR/RTS; that must not fail the open.
  ASSERT_EQ(0, Open(2));
  EXPECT_EQ(2, ComWrt(2, "ok", 2));
  EXPECT_EQ(2u, pty.Read(2, 2.0).size());
  // Opening an open port again closes it first (else the device lock refuses).
  EXPECT_EQ(0, Open(2));
  EXPECT_EQ(2, ComWrt(2, "ok", 2));
  EXPECT_EQ(2u, pty.Read(2, 2.0).size());
  // The link and the device's own name are one device: busy while port 2 has it.
  testing::internal::CaptureStderr();
  EXPECT_EQ(RS232_CANNOT_OPEN_PORT, Open(6, pty.slavePath().c_str()));
  EXPECT_NE(testing::internal::GetCapturedStderr().find(": cannot open: busy"), std::string::npos);
  CloseCom(2);
  // An explicit device name wins over the mapping; a bare name lies in /dev.
  EXPECT_EQ(0, Open(6, pty.slavePath().c_str()));
  CloseCom(6);
  MapPort(6, pty.slavePath().substr(std::string("/dev/").size()));
  EXPECT_EQ(0, Open(6));
}

TEST_F(SerialOpen, FailuresMapToTheirCodes) {
  EXPECT_EQ(RS232_INVALID_PORT_NUMBER, Open(0));
  EXPECT_EQ(RS232_INVALID_PORT_NUMBER, Open(11));
  EXPECT_EQ(RS232_INVALID_PORT_NUMBER, CloseCom(11));
  EXPECT_EQ(RS232_INVALID_PORT_NUMBER, GetInQLen(0));

  const std::string missing = ScratchPath("missing");
  EXPECT_EQ(RS232_NO_SERIAL_PORT, Open(1, missing.c_str()));
  const std::string file = ScratchPath("file");
  close(open(file.c_str(), O_CREAT | O_WRONLY, 0644));
  EXPECT_EQ(RS232_NO_SERIAL_PORT, Open(1, file.c_str())) << "a plain file is no serial port";
  EXPECT_EQ(RS232_NO_SERIAL_PORT, Open(1, (file + "/below").c_str()));
  EXPECT_EQ(RS232_NO_SERIAL_PORT, Open(1, "/dev/null")) << "a device that is not a terminal";
  unlink(file.c_str());

  // Settings are checked before the device is looked at.
  const char* m = missing.c_str();
  EXPECT_EQ(RS232_INVALID_PARAMETER, OpenComConfig(1, m, 12345, 0, 8, 1, 4096, 4096));
  EXPECT_EQ(RS232_INVALID_PARAMETER, OpenComConfig(1, m, 19200, 3, 8, 1, 4096, 4096));
  EXPECT_EQ(RS232_INVALID_PARAMETER, OpenComConfig(1, m, 19200, 0, 4, 1, 4096, 4096));
  EXPECT_EQ(RS232_INVALID_PARAMETER, OpenComConfig(1, m, 19200, 0, 9, 1, 4096, 4096));
  EXPECT_EQ(RS232_INVALID_PARAMETER, OpenComConfig(1, m, 19200, 0, 8, 3, 4096, 4096));
  EXPECT_EQ(RS232_INVALID_PARAMETER, OpenComConfig(1, m, 19200, 0, 8, 1, 0, 4096));
  EXPECT_EQ(RS232_INVALID_PARAMETER, OpenComConfig(1, m, 19200, 0, 8, 1, 4096, -1));

  // Other settings the line may use are accepted.
  PtyPair pty;
  ASSERT_TRUE(pty.ok()) << pty.error();
  EXPECT_EQ(0, OpenComConfig(1, pty.slavePath().c_str(), 9600, 2, 7, 2, 512, 512));
}

TEST_F(SerialOpen, DeviceInUseByAnotherPortCannotBeOpened) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok()) << pty.error();
  MapPort(1, pty.slavePath());
  MapPort(2, pty.slavePath());
  ASSERT_EQ(0, Open(1));
  EXPECT_EQ(RS232_CANNOT_OPEN_PORT, Open(2));
  CloseCom(1);
  EXPECT_EQ(0, Open(2)) << "free again once the first port is closed";
}

TEST_F(SerialOpen, DeviceWithoutPermissionCannotBeOpened) {
  // Root opens anything; the check then runs in a child that gives up root.
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() == 0 && nobody == nullptr) GTEST_SKIP() << "no unprivileged user to run as";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        PtyPair pty;
        if (!pty.ok()) std::_Exit(100);
        chmod(pty.slavePath().c_str(), 0600);
        if (geteuid() == 0 && setuid(nobody->pw_uid) != 0) std::_Exit(101);
        std::_Exit(-Open(7, pty.slavePath().c_str()));
      },
      testing::ExitedWithCode(-RS232_CANNOT_OPEN_PORT), "COM7 .*: cannot open: ");
}
