// The program as a process: what the operator's desktop sees when it starts.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

TEST(Process, WithoutItsPanelResourceTheProgramEndsWithMinusOne) {
  const char* binary = std::getenv("VANTREL_BIN");
  ASSERT_NE(binary, nullptr);
  ASSERT_TRUE(fs::exists(binary));
  const fs::path dir =
      fs::temp_directory_path() / ("vantrel-noresource-" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::copy_file(binary, dir / "vantrel", fs::copy_options::overwrite_existing);

  const std::string command = "cd '" + dir.string() +
                              "' && QT_QPA_PLATFORM=offscreen VANTREL_COM1=/nonexistent "
                              "./vantrel >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  fs::remove_all(dir);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 255) << "exit code -1";
}
