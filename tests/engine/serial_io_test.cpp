// Reading, writing, queue length and flushing, all without event processing.
#include <cstring>

#include "tests/engine/serial_test_port.h"

using SerialIo = SerialPortTest;

TEST_F(SerialIo, InputQueueCountsBytesWithoutEventsAndReadTakesThem) {
  ASSERT_TRUE(pty->Write(Counting(10)));
  EXPECT_EQ(10, WaitInQLen(kPort, 10));

  char buffer[64] = {};
  ASSERT_EQ(0, SetComTime(kPort, 0.5));
  EXPECT_EQ(4, ComRd(kPort, buffer, 4));
  EXPECT_EQ(0, std::memcmp(buffer, Counting(4).data(), 4));
  EXPECT_EQ(6, GetInQLen(kPort));
  EXPECT_EQ(6, ComRd(kPort, buffer, 6));
  EXPECT_EQ(0, std::memcmp(buffer, Counting(6, 5).data(), 6));
  EXPECT_EQ(0, GetInQLen(kPort));
}

TEST_F(SerialIo, ReadReturnsFewerBytesOnceThePortTimeLimitHasPassed) {
  ASSERT_TRUE(pty->Write(Counting(5)));
  ASSERT_EQ(5, WaitInQLen(kPort, 5));
  ASSERT_EQ(0, SetComTime(kPort, 0.3));
  char buffer[64] = {};
  const double start = Timer();
  EXPECT_EQ(5, ComRd(kPort, buffer, 36));
  const double waited = Timer() - start;
  EXPECT_GE(waited, 0.3);  // it did wait for the rest
  EXPECT_LT(waited, 5.0);  // and used the port's limit, not a default
  EXPECT_EQ(0, std::memcmp(buffer, Counting(5).data(), 5));
}

TEST_F(SerialIo, WrittenBytesReachTheDeviceWithoutEventProcessing) {
  const std::vector<uint8_t> frame = Counting(36, 0x40);  // includes 0x55
  EXPECT_EQ(36, ComWrt(kPort, reinterpret_cast<const char*>(frame.data()), 36));
  EXPECT_EQ(frame, pty->Read(36, 2.0));
  EXPECT_EQ(0, ComWrt(kPort, "", 0));
  EXPECT_EQ(RS232_INVALID_PARAMETER, ComWrt(kPort, "x", -1));

  // Flushing output and switching the handshake leave the port working.
  EXPECT_EQ(0, FlushOutQ(kPort));
  EXPECT_EQ(0, SetCTSMode(kPort, 1));
  EXPECT_EQ(0, SetCTSMode(kPort, 0));
  EXPECT_EQ(RS232_INVALID_PARAMETER, SetCTSMode(kPort, 2));
  EXPECT_EQ(RS232_INVALID_PARAMETER, SetComTime(kPort, -1.0));
  EXPECT_EQ(3, ComWrt(kPort, "def", 3));
  EXPECT_EQ((std::vector<uint8_t>{'d', 'e', 'f'}), pty->Read(3, 2.0));
}

TEST_F(SerialIo, FlushInputDiscardsTakenInAndOsHeldBytes) {
  ASSERT_TRUE(pty->Write(Counting(30)));
  ASSERT_EQ(30, WaitInQLen(kPort, 30));  // now inside the port's own buffer
  ASSERT_TRUE(pty->Write(Counting(6, 100)));
  const double start = Timer();
  while (pty->SlaveInputQueued() < 6 && Timer() - start < 2.0) {
  }
  ASSERT_EQ(6, pty->SlaveInputQueued());  // these are still in the OS queue

  EXPECT_EQ(0, FlushInQ(kPort));
  EXPECT_EQ(0, GetInQLen(kPort));
  EXPECT_EQ(0, pty->SlaveInputQueued());

  // Input after the flush is intact.
  ASSERT_TRUE(pty->Write(Counting(3, 7)));
  ASSERT_EQ(3, WaitInQLen(kPort, 3));
  char buffer[8] = {};
  EXPECT_EQ(3, ComRd(kPort, buffer, 3));
  EXPECT_EQ(0, std::memcmp(buffer, Counting(3, 7).data(), 3));
}

TEST_F(SerialIo, ClosedPortRefusesEverythingAndSendsNothing) {
  ASSERT_EQ(0, CloseCom(kPort));
  ExpectEveryOperationRefused(kPort);
  EXPECT_TRUE(pty->Read(1, 0.1).empty());
}
