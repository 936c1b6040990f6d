// A device that goes away while its port is open, and comes back.
#include <unistd.h>

#include <QTimer>

#include "runtime/serial/device_return.h"
#include "runtime/testing/serial_inspect.h"
#include "runtime/userint.h"
#include "tests/engine/serial_test_port.h"
#include "tests/support/wait.h"

namespace {

int CountLines(const std::string& text, const std::string& containing) {
  int lines = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text.substr(start, end - start).find(containing) != std::string::npos) ++lines;
    start = end + 1;
  }
  return lines;
}

int g_notifications = 0;
int g_events = 0;  // the events of the last notification
int g_port = 0;
void CountNotification(int port, int events, void*) {
  ++g_notifications;
  g_events = events;
  g_port = port;
}

// Whether an operation is running: the notification must never run inside one.
bool g_inOperation = false;
int g_notifiedInOperation = 0;
void NoteWhereNotified(int, int, void*) {
  ++g_notifications;
  if (g_inOperation) ++g_notifiedInOperation;
}

int g_returns = 0;  // COM_EVENT_DEVICE_BACK notifications
int g_others = 0;   // COM_EVENT_OTHER_DEVICE notifications
void NoteReturn(int, int events, void*) {
  if ((events & COM_EVENT_DEVICE_BACK) != 0) ++g_returns;
  if ((events & COM_EVENT_OTHER_DEVICE) != 0) ++g_others;
}

// Runs the outer event loop for `seconds`.
void IdleFor(double seconds) {
  QTimer::singleShot(static_cast<int>(seconds * 1000), [] { QuitUserInterface(0); });
  RunUserInterface();
}

using SerialVanish = SerialPortTest;

}  // namespace

TEST_F(SerialVanish, IdlePortClosesOnceQuietlyAndCanBeReopened) {
  g_notifications = 0;
  ASSERT_EQ(0, InstallComCallback(kPort, COM_EVENT_RECEIVE | COM_EVENT_CHAR, 36, 0x55,
                                  CountNotification, nullptr));
  // Only the event loop looks at the port: it must notice the loss, close the
  // port once and then leave it alone.
  testing::internal::CaptureStderr();
  pty->CloseMaster();
  const bool noticed = WaitUntil([] { return InspectComErrorReports(kPort) > 0; }, 2.0);
  WaitUntil([] { return g_notifications > 0; }, 2.0);
  ProcessEventsFor(0.1);  // a short look: no more reports, lines or calls may follow
  const long reports = InspectComErrorReports(kPort);
  const std::string closing = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(noticed);
  EXPECT_EQ(1, CountLines(closing, "COM3")) << closing;
  EXPECT_LE(reports, 5) << "the lost device kept raising errors";
  // The program hears of it once, through its notification, though it only
  // asked for data events.
  EXPECT_EQ(1, g_notifications);
  EXPECT_EQ(COM_EVENT_ERROR, g_events);
  EXPECT_EQ(kPort, g_port);

  testing::internal::CaptureStderr();
  ExpectEveryOperationRefused(kPort);
  EXPECT_EQ("", testing::internal::GetCapturedStderr()) << "refusals are quiet";

  pty = std::make_unique<PtyPair>();
  ASSERT_TRUE(pty->ok()) << pty->error();
  MapPort(kPort, pty->slavePath());
  ASSERT_EQ(0, OpenComConfig(kPort, "", 19200, 0, 8, 1, 4096, 4096));
  EXPECT_EQ(3, ComWrt(kPort, "new", 3));
  EXPECT_EQ(3u, pty->Read(3, 2.0).size());
}

TEST_F(SerialVanish, LossIsNoticedWhilePollingWithoutEvents) {
  g_notifications = 0;
  g_notifiedInOperation = 0;
  ASSERT_EQ(0, InstallComCallback(kPort, COM_EVENT_RECEIVE, 36, 0x55, NoteWhereNotified, nullptr));
  testing::internal::CaptureStderr();
  pty->CloseMaster();
  g_inOperation = true;
  EXPECT_EQ(RS232_PORT_NOT_OPEN, WaitInQLen(kPort, 1));
  char buffer[4];
  EXPECT_EQ(RS232_PORT_NOT_OPEN, ComRd(kPort, buffer, 4));
  g_inOperation = false;
  WaitUntil([] { return g_notifications > 0; }, 2.0);
  ProcessEventsFor(0.1);  // a short look: no second line or call may follow
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(1, CountLines(err, "COM3")) << err;
  EXPECT_EQ(0, g_notifiedInOperation) << "told from inside an operation";
  EXPECT_EQ(1, g_notifications) << "told once, from the event loop";
}

TEST_F(SerialVanish, WriteToALostDeviceReportsAClosedPort) {
  g_notifications = 0;
  ASSERT_EQ(0, InstallComCallback(kPort, COM_EVENT_RECEIVE, 36, 0x55, CountNotification, nullptr));
  testing::internal::CaptureStderr();
  pty->CloseMaster();
  int result = 0;
  for (int i = 0; i < 3 && result != RS232_PORT_NOT_OPEN; ++i) result = ComWrt(kPort, "abc", 3);
  EXPECT_EQ(RS232_PORT_NOT_OPEN, result);
  ExpectEveryOperationRefused(kPort);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(1, CountLines(err, "COM3")) << err;

  // Reopened before the event loop ran: the old loss must not close the new port.
  pty = std::make_unique<PtyPair>();
  ASSERT_TRUE(pty->ok()) << pty->error();
  MapPort(kPort, pty->slavePath());
  ASSERT_EQ(0, OpenComConfig(kPort, "", 19200, 0, 8, 1, 4096, 4096));
  ProcessEventsFor(0.05);  // a short look: the old loss may tell nobody
  EXPECT_EQ(0, g_notifications) << "the old loss told to the new opening";
  EXPECT_EQ(3, ComWrt(kPort, "new", 3));
  EXPECT_EQ(3u, pty->Read(3, 2.0).size());
}

TEST_F(SerialVanish, ReturnOfTheDeviceIsToldOnceAndOnlyFromTheOuterLoop) {
  const std::string link = testing::TempDir() + "vantrel-return-" + std::to_string(getpid());
  const double watches = 3 * kDeviceWatchMs / 1000.0;
  // The port is opened on the adapter "A1", which vanishes; then the adapter
  // `serial` appears behind the same path (a pty each time, so only the serial
  // number can make it the same device).
  const auto plugIn = [&](const std::string& serial) {
    pty = std::make_unique<PtyPair>(link);
    SetComUsbSerialForTests(link, serial);
  };
  const auto openLoseAndReturn = [&](const std::string& serial) {
    ASSERT_EQ(0, OpenComConfig(kPort, "", 19200, 0, 8, 1, 4096, 4096));
    ASSERT_EQ(0, InstallComCallback(kPort, COM_EVENT_RECEIVE, 36, 0x55, NoteReturn, nullptr));
    pty->CloseMaster();
    ASSERT_TRUE(WaitUntil([] { return GetInQLen(kPort) == RS232_PORT_NOT_OPEN; }, 2.0));
    pty.reset();  // its symlink goes with it
    plugIn(serial);
  };
  plugIn("A1");
  MapPort(kPort, link);
  g_returns = g_others = 0;
  openLoseAndReturn("A1");
  ProcessEventsFor(watches);  // as an operation polls
  EXPECT_EQ(0, g_returns) << "told inside ProcessSystemEvents";
  IdleFor(watches);
  EXPECT_EQ(1, g_returns) << "told once, from the outer loop";
  EXPECT_EQ(RS232_PORT_NOT_OPEN, GetInQLen(kPort)) << "the program opens it, not the engine";

  // Another adapter at the path is named and left alone; once it has gone, the
  // lost one may still come back.
  testing::internal::CaptureStderr();
  openLoseAndReturn("B2");
  IdleFor(watches);
  EXPECT_EQ(1, g_returns) << "a different device is no return";
  EXPECT_EQ(1, g_others);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("a different device appeared (" +
                                                        pty->slavePath() + ", S/N B2), left alone"),
            std::string::npos);
  EXPECT_EQ(RS232_PORT_NOT_OPEN, GetInQLen(kPort));
  pty.reset();
  IdleFor(watches);
  plugIn("A1");
  IdleFor(watches);
  EXPECT_EQ(2, g_returns) << "the lost adapter back after the other";
  EXPECT_EQ(1, g_others) << "told once per appearance";

  openLoseAndReturn("A1");
  CloseCom(kPort);
  IdleFor(watches);
  EXPECT_EQ(2, g_returns) << "told after the program closed the port";
  ClearComUsbSerialsForTests();
}

TEST(SameSerialDevice, TheUsbSerialNumberDecidesWhereThereIsOneElseTheDeviceNumber) {
  EXPECT_TRUE(SameSerialDevice({"/dev/ttyUSB0", 10, 0, "A1"}, {"/dev/ttyUSB1", 11, 0, "A1"}));
  EXPECT_FALSE(SameSerialDevice({"/dev/ttyUSB0", 10, 0, "A1"}, {"/dev/ttyUSB0", 10, 0, ""}));
  EXPECT_TRUE(SameSerialDevice({"/dev/ttyS0", 10, 0, ""}, {"/dev/ttyS0", 10, 0, ""}));
  EXPECT_FALSE(SameSerialDevice({"/dev/pts/3", 10, 1, ""}, {"/dev/pts/3", 10, 2, ""}));
}
