// A serial port of the engine opened on a pseudo-terminal, for the serial
// engine tests. The test plays the device on `pty`.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "runtime/rs232.h"
#include "runtime/testing/serial_inspect.h"
#include "runtime/utility.h"
#include "tests/support/pty_pair.h"

// Bytes 1, 2, 3, ... n: never the event character 0x55 for n < 0x55.
inline std::vector<uint8_t> Counting(size_t n, uint8_t first = 1) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

// Polls GetInQLen WITHOUT processing events until it reaches `count` or the
// deadline passes; returns the last length seen.
inline int WaitInQLen(int port, int count, double seconds = 2.0) {
  const double start = Timer();
  int n = GetInQLen(port);
  while (n >= 0 && n < count && Timer() - start <= seconds) n = GetInQLen(port);
  return n;
}

inline void MapPort(int port, const std::string& device) {
  setenv(("VANTREL_COM" + std::to_string(port)).c_str(), device.c_str(), 1);
}

inline void UnmapPort(int port) {
  unsetenv(("VANTREL_COM" + std::to_string(port)).c_str());
}

// Every operation on a closed port returns RS232_PORT_NOT_OPEN; closing it is
// harmless.
inline void ExpectEveryOperationRefused(int port) {
  char buffer[8] = {};
  EXPECT_EQ(RS232_PORT_NOT_OPEN, ComWrt(port, "abc", 3));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, ComRd(port, buffer, 3));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, GetInQLen(port));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, FlushInQ(port));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, FlushOutQ(port));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, SetComTime(port, 1.0));
  EXPECT_EQ(RS232_PORT_NOT_OPEN, SetCTSMode(port, 0));
  EXPECT_EQ(RS232_PORT_NOT_OPEN,
            InstallComCallback(
                port, COM_EVENT_RECEIVE, 36, 0x55, [](int, int, void*) {}, nullptr));
  EXPECT_EQ(0, CloseCom(port));
}

// The path the fixture's port runs: the build's own, or the portable one when
// VANTREL_TEST_COM_PATH=portable (CTest runs the serial suites both ways).
inline ComPathForTests PathFromEnvironment() {
  const char* path = std::getenv("VANTREL_TEST_COM_PATH");
  return path != nullptr && std::string(path) == "portable" ? ComPathForTests::Portable
                                                            : ComPathForTests::Default;
}

class SerialPortTest : public ::testing::Test {
 protected:
  static constexpr int kPort = 3;

  void SetUp() override {
    ChooseComPathForTests(PathFromEnvironment());
    pty = std::make_unique<PtyPair>();
    ASSERT_TRUE(pty->ok()) << pty->error();
    MapPort(kPort, pty->slavePath());
    ASSERT_EQ(0, OpenComConfig(kPort, "", 19200, 0, 8, 1, 4096, 4096));
  }

  void TearDown() override {
    CloseCom(kPort);
    UnmapPort(kPort);
    ChooseComPathForTests(ComPathForTests::Default);
  }

  std::unique_ptr<PtyPair> pty;
};
