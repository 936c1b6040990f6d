// Every callback the panel resource names is one the program registered: the
// engine reports each name nobody registered on stderr while it loads a panel.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/operated_program.h"

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

class CallbackRegistration : public OperatedProgram {};
}  // namespace

TEST_F(CallbackRegistration, StartUpNamesNoCallbackThatIsNotRegistered) {
  ASSERT_NO_FATAL_FAILURE(StartSensor());
  const std::string written = CaptureStderr([&] { StartOn(sensor_->SlavePath()); });
  ASSERT_TRUE(started_) << written;
  EXPECT_EQ(written.find("no callback registered"), std::string::npos) << written;
}
