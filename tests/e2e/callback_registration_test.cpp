// Every callback the panel resource names is one the program registered: the
// engine reports each name nobody registered on stderr while it loads a panel.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/sim_thread.h"
#include "tests/e2e/program.h"

namespace {
// Runs `action` with the process's stderr going into a file; returns what it wrote.
template <typename Action>
std::string CaptureStderr(Action action) {
  char path[] = "/tmp/vantrel-stderr-XXXXXX";
  const int file = mkstemp(path);
  EXPECT_GE(file, 0);
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  dup2(file, STDERR_FILENO);
  action();
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  close(file);
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  unlink(path);
  return text.str();
}
}  // namespace

TEST(CallbackRegistration, StartUpNamesNoCallbackThatIsNotRegistered) {
  sim::Config config;
  config.paced = false;
  sim::SimThread sensor(config);
  std::string error;
  ASSERT_TRUE(sensor.Start(&error)) << error;
  int started = -1;
  const std::string written = CaptureStderr([&] { started = StartProgram(sensor.SlavePath()); });
  ASSERT_EQ(started, 0) << written;
  EXPECT_EQ(written.find("no callback registered"), std::string::npos) << written;
  ShutDown();
  sensor.Stop();
}
