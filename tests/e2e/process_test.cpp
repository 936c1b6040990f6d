// The program as a process: what the operator's desktop sees when it starts.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/trace_file.h"
#include "runtime/testing/resource_path.h"
#include "sim/sim_thread.h"
#include "tests/support/pty_pair.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/wait.h"

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

namespace {

// Starts the program with `args`, COM1 on `device` and its stdout and stderr
// into dir/stdout.txt and dir/stderr.txt; returns its pid (spawned: the sensor's thread runs on).
pid_t Spawn(const std::vector<std::string>& args, const std::string& device, const fs::path& dir) {
  fs::create_directories(dir);
  fs::permissions(dir, fs::perms::owner_all);
  std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + dir.string(),
                               "VANTREL_COM1=" + device};
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("XDG_RUNTIME_DIR=", 0) != 0 &&
        entry.rfind("VANTREL_COM1=", 0) != 0)
      env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = std::getenv("VANTREL_BIN");
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string output = (dir / "stdout.txt").string();
  const std::string errors = (dir / "stderr.txt").string();
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
    pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace

// The trace records the start-up from the first byte; a second program on the
// same device is refused; the end of a desktop session (SIGTERM) ends the
// program as its own quit does: the port closed, exit code 0.
TEST(Process, TraceRecordsTheStartUpAndSigtermEndsTheProgramCleanly) {
  ASSERT_NE(std::getenv("VANTREL_BIN"), nullptr);
  sim::Config config;
  config.paced = false;
  sim::SimThread sensor(config);
  std::string error;
  ASSERT_TRUE(sensor.Start(&error)) << error;
  const fs::path dir = fs::temp_directory_path() / ("vantrel-trace-" + std::to_string(getpid()));
  const fs::path trace = dir / "start.trace";
  const pid_t pid = Spawn({"--trace", trace.string()}, sensor.SlavePath(), dir);
  ASSERT_GT(pid, 0);
  monitor::TraceReadResult read;
  // The start-up's last exchange is the CCD information (order 10).
  const bool started = WaitUntil(
      [&] {
        read = monitor::ReadTrace(ReadAll(trace));
        return read.ok && std::any_of(read.entries.begin(), read.entries.end(), [](auto& e) {
                 return e.kind == monitor::EntryKind::kReply && e.order == 10;
               });
      },
      15.0);
  // A second program on the same device, by another name: busy at once, and
  // nothing of it reaches the sensor.
  const fs::path link = dir / "sensor-link";
  fs::create_symlink(sensor.SlavePath(), link);
  const pid_t second = Spawn({}, link.string(), dir / "second");
  const bool refused = WaitUntil(
      [&] {
        return ReadAll(dir / "second" / "stderr.txt").find("cannot open: busy") !=
               std::string::npos;
      },
      15.0);
  kill(second, SIGTERM);
  waitpid(second, nullptr, 0);
  EXPECT_TRUE(refused) << ReadAll(dir / "second" / "stderr.txt");
  EXPECT_EQ(sensor.Orders(), (std::vector<int>{5, 2, 7, 10}));

  kill(pid, SIGTERM);
  int status = 0;
  const bool ended = WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 10.0);
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  ASSERT_TRUE(started) << ReadAll(trace) << ReadAll(dir / "stderr.txt");
  std::vector<int> exchanges;  // order of each request, then of its reply
  for (const monitor::LineEntry& e : read.entries) {
    if (e.kind == monitor::EntryKind::kRequest) exchanges.push_back(e.order);
    if (e.kind == monitor::EntryKind::kReply) exchanges.push_back(-e.order);
  }
  EXPECT_EQ(exchanges, (std::vector<int>{5, -5, 2, -2, 7, -7, 10, -10}));
  EXPECT_EQ(read.entries.front().kind, monitor::EntryKind::kOpened);
  EXPECT_EQ(read.entries.front().text, sensor.SlavePath());

  ASSERT_TRUE(ended) << "still running after SIGTERM";
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << ReadAll(dir / "stderr.txt");
  read = monitor::ReadTrace(ReadAll(trace));
  ASSERT_TRUE(read.ok && !read.entries.empty());
  EXPECT_EQ(read.entries.back().kind, monitor::EntryKind::kClosed) << ReadAll(trace);
  fs::remove_all(dir);
}

TEST(Process, OptionsEndWithTheirTextAndExitCode) {
  const fs::path dir = fs::temp_directory_path() / ("vantrel-usage-" + std::to_string(getpid()));
  struct Row {
    std::vector<std::string> args;
    int exitCode;
    const char* stream;  // where the text goes
    std::string text;
  };
  const Row rows[] = {
      {{"--trace"}, 2, "stderr.txt", "usage: vantrel [--port P] [--trace FILE]"},
      {{"--tracer", "x"}, 2, "stderr.txt", "usage: vantrel [--port P] [--trace FILE]"},
      {{"--port", "COM11"}, 2, "stderr.txt", "port COM11: the ports are COM1 to COM10"},
      {{"--port"}, 2, "stderr.txt", "usage: vantrel [--port P]"},
      {{"--version"}, 0, "stdout.txt", "vantrel " VANTREL_VERSION "\n"},
      {{"--help"}, 0, "stdout.txt", "VANTREL_COM<n>"},
      {{"--help"},
       0,
       "stdout.txt",  // the build's own source tree
       "Documentation: " + fs::canonical(VANTREL_SCENARIO_DIR "/../../README.md").string()},
      {{"--trace", "x", "--help"}, 0, "stdout.txt", "--trace FILE   record the sensor line"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.back());
    const pid_t pid = Spawn(row.args, "/dev/null", dir);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), row.exitCode);
    const std::string text = ReadAll(dir / row.stream);
    EXPECT_NE(text.find(row.text), std::string::npos) << text;
  }
  fs::remove_all(dir);
}

// --port starts the program on a network port; a second program on the same
// server (by the other scheme) is refused at once, before it reaches it.
TEST(Process, PortOptionOpensANetworkPortThatASecondProgramCannotShare) {
  ASSERT_NE(std::getenv("VANTREL_BIN"), nullptr);
  sim::Config config;
  config.paced = false;
  sim::SimThread sensor(config);
  std::string error;
  ASSERT_TRUE(sensor.Start(&error)) << error;
  Ser2netServer server;
  ASSERT_TRUE(server.Start(sensor.SlavePath(), Ser2netMode::kRfc2217, "19200n81", &error)) << error;
  const fs::path dir = fs::temp_directory_path() / ("vantrel-netport-" + std::to_string(getpid()));
  const fs::path trace = dir / "start.trace";
  const pid_t first = Spawn({"--port", server.Url(), "--trace", trace.string()}, "/dev/null", dir);
  monitor::TraceReadResult read;
  const bool started = WaitUntil(
      [&] {
        read = monitor::ReadTrace(ReadAll(trace));
        return read.ok && std::any_of(read.entries.begin(), read.entries.end(), [](auto& e) {
                 return e.kind == monitor::EntryKind::kReply && e.order == 10;
               });
      },
      15.0);
  const std::string busy = "busy: 127.0.0.1:" + std::to_string(server.Port()) +
                           " is held by another port or program (process " + std::to_string(first) +
                           ", ";
  const auto begin = std::chrono::steady_clock::now();
  const pid_t second = Spawn({"--port", "tcp://127.0.0.1:" + std::to_string(server.Port())},
                             "/dev/null", dir / "second");
  const bool refused = WaitUntil(
      [&] { return ReadAll(dir / "second" / "stderr.txt").find(busy) != std::string::npos; }, 10.0);
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  for (const pid_t pid : {second, first}) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  ASSERT_TRUE(started) << ReadAll(dir / "stderr.txt");
  EXPECT_EQ(read.entries.front().text, server.Url()) << "COM1 was the server";
  EXPECT_TRUE(refused) << ReadAll(dir / "second" / "stderr.txt");
  EXPECT_LT(took, 5.0) << "said at once (the start-up of a program included)";
  EXPECT_EQ(sensor.Orders(), (std::vector<int>{5, 2, 7, 10}))
      << "only the first reached the sensor";
  fs::remove_all(dir);
}
