// A parameter file is never half-written: a process killed at any moment while
// it saves leaves the old file or the new one on disk, each complete.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "runtime/utility.h"

namespace {
namespace fs = std::filesystem;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int Save(const std::string& path, uint32_t fill) {
  uint32_t values[16];
  for (int i = 0; i < 16; ++i) values[i] = fill + static_cast<uint32_t>(i);
  return ArrayToFile(path.c_str(), values, UI_DATA_U32, 16, 1, 0, 0, 0, 4, UI_FILE_ASCII,
                     UI_FILE_TRUNCATE);
}
}  // namespace

TEST(ArrayFileKill, AKilledSaveLeavesTheOldOrTheNewFileComplete) {
  const fs::path dir = fs::temp_directory_path() / ("vantrel-kill-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "QVORpara.dat").string();
  ASSERT_EQ(Save(path, 100), 0);
  const std::string oldText = Contents(path);
  ASSERT_EQ(Save(path, 1000000), 0);  // wider values: a cut file could not pass for either
  const std::string newText = Contents(path);
  ASSERT_EQ(Save(path, 100), 0);

  std::mt19937 random(12345);
  std::uniform_int_distribution<int> delayUs(0, 3000);
  int killedWhileSaving = 0;
  for (int round = 0; round < 150; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Saves the two sets in turn until it is killed.
      for (uint32_t n = 0;; ++n) Save(path, (n % 2) ? 100 : 1000000);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) ++killedWhileSaving;
    const std::string now = Contents(path);
    ASSERT_TRUE(now == oldText || now == newText) << "round " << round << ": '" << now << "'";
  }
  EXPECT_EQ(killedWhileSaving, 150);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}
