// The program as a process: what the operator's desktop sees when it starts.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/testing/resource_path.h"
#include "tests/support/pty_pair.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The shipped panel resource with `from` replaced by `to` (once).
std::string Edited(const std::string& from, const std::string& to) {
  std::string text = ReadAll(PanelResourcePath());
  const size_t at = text.find(from);
  if (at == std::string::npos) return "";
  return text.replace(at, from.size(), to);
}

struct BrokenResource {
  const char* name;
  bool present;          // false: no Vantrel.uir beside the program
  std::string contents;  // what Vantrel.uir holds
  const char* fault;     // a word the one stderr line must carry
};

struct Outcome {
  int exitCode = -1000;
  std::string stderrText;
  size_t bytesOnPort = 0;
};

// Runs a copy of the program in a fresh directory beside `resource`, with COM1
// on a pty, and reports its exit code, its stderr and what reached the port.
Outcome RunWithResource(const BrokenResource& resource, const fs::path& dir) {
  // The directory is also the desktop session's runtime directory, which the
  // platform wants private, so that it has nothing to say on stderr.
  fs::create_directories(dir);
  fs::permissions(dir, fs::perms::owner_all);
  fs::copy_file(std::getenv("VANTREL_BIN"), dir / "vantrel", fs::copy_options::overwrite_existing);
  if (resource.present) std::ofstream(dir / "Vantrel.uir", std::ios::binary) << resource.contents;
  PtyPair port;
  Outcome outcome;
  if (!port.ok()) return outcome;
  const std::string command = "cd '" + dir.string() +
                              "' && QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=. VANTREL_COM1='" +
                              port.slavePath() + "' timeout 20 ./vantrel >/dev/null 2>stderr.txt";
  const int status = std::system(command.c_str());
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  outcome.stderrText = ReadAll(dir / "stderr.txt");
  outcome.bytesOnPort = port.ReadAvailable().size();
  return outcome;
}

}  // namespace

TEST(Process, AFaultyPanelResourceEndsTheProgramWithOneLineAndMinusOne) {
  ASSERT_NE(std::getenv("VANTREL_BIN"), nullptr);
  const std::string good = ReadAll(PanelResourcePath());
  ASSERT_FALSE(good.empty());

  const BrokenResource cases[] = {
      {"missing", false, "", "cannot be read"},
      {"empty", true, "", "not valid JSON"},
      {"truncated", true, good.substr(0, good.size() / 2), "not valid JSON"},
      {"wrong version", true, Edited("\"version\": 1", "\"version\": 2"), "version"},
      // BTNStop takes BTNRun's id 3.
      {"control id twice", true, Edited("\"id\": 5,", "\"id\": 3,"), "control id 3 appears twice"},
      {"panel callback on a control", true,
       Edited("\"callback\": \"CC_BTNStop\"", "\"callback\": \"CC_PANEL\""), "panel callback"},
      {"panel twice", true, Edited("\"number\": 2,", "\"number\": 1,"), "panel number 1"},
  };
  const fs::path base =
      fs::temp_directory_path() / ("vantrel-resource-" + std::to_string(getpid()));
  for (const BrokenResource& resource : cases) {
    SCOPED_TRACE(resource.name);
    if (resource.present && std::string(resource.name) != "empty") {
      ASSERT_FALSE(resource.contents.empty()) << "the edit found its place in the file";
    }
    const fs::path dir = base / std::to_string(&resource - cases);
    const Outcome outcome = RunWithResource(resource, dir);
    EXPECT_EQ(outcome.exitCode, 255) << "exit code -1";
    const std::string& text = outcome.stderrText;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_NE(text.find((dir / "Vantrel.uir").string()), std::string::npos) << text;
    EXPECT_NE(text.find(resource.fault), std::string::npos) << text;
    EXPECT_EQ(outcome.bytesOnPort, 0u) << "the port stays closed";
  }
  fs::remove_all(base);
}
