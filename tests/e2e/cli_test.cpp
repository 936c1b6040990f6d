// vantrel-cli as a process against the simulated sensor: every command, every
// exit code, the fault switches, refused files, a busy port, a closed pipe,
// SIGTERM and --all over three sensors. Each row asserts what the sensor
// received (orders, and the words of every write), that its RAM holds what it
// held unless the row writes it, and that a failed write leaves no file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "monitor/trace_file.h"
#include "runtime/rs232.h"
#include "sets/backup_file.h"
#include "sim/clock.h"
#include "sim/sim_thread.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/test_params.h"
#include "tests/support/wait.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct CliRun {
  int status = -1;
  std::string out, err;
  double seconds = 0;  // from the start
  double ended = 0;    // on the simulator's clock (sim/clock.h)
};

// Starts vantrel-cli with `args` (COM1 on `device`), stdout to `out` (a path,
// or a pipe's write end when outFd >= 0) and stderr to dir/err.
pid_t Start(const std::vector<std::string>& args, const std::string& device, const fs::path& dir,
            int outFd = -1) {
  std::vector<std::string> all{VANTREL_CLI_BIN};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  setenv("VANTREL_COM1", device.c_str(), 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string out = (dir / "out").string(), err = (dir / "err").string();
  if (outFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

CliRun Finish(pid_t pid, const fs::path& dir, std::chrono::steady_clock::time_point began) {
  CliRun run;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    run.status = WEXITSTATUS(status);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  run.ended = sim::MonotonicNow();
  run.out = ReadAll(dir / "out");
  run.err = ReadAll(dir / "err");
  return run;
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& device,
              const fs::path& dir) {
  const auto began = std::chrono::steady_clock::now();
  return Finish(Start(args, device, dir), dir, began);
}

// The orders the sensor received, none still on the way.
std::vector<sim::Request> Received(sim::SimThread& sensor) {
  if (!sensor.HungUp()) {
    const size_t skipped = sensor.DiscardedBytes() + kMarkerBytes;
    SendMarker(sensor.SlavePath());
    EXPECT_TRUE(WaitUntil([&] { return sensor.DiscardedBytes() >= skipped; }, 2.0));
  }
  return sensor.Requests();
}

const ParamWords kEeprom = DistinctTestParams();
const ParamWords kFileSet = TestParams({{sim::kPower, 700}, {sim::kTTol, 50}});

struct Row {
  const char* name;
  std::vector<std::string> args;  // "@" at the start of an argument: the row's folder
  int status;
  std::vector<int> orders;
  const char* out = "";  // on stdout
  const char* err = "";  // on stderr
  sim::Faults faults = {};
  int ccdType = 1;
  const char* noFile = "";  // a file that must not exist afterwards
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vantrel-cli-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    std::ofstream(dir_ / "set.dat")
        << " 700\n   0\n 512\n  64\n   1\n   1\n   1\n1024\n 512\n  50\n"
           "   1\n   1\n   0\n   1\n   0\n1000\n";
    std::ofstream(dir_ / "short.dat") << "500\n0\n512\n64\n1\n1\n1\n1024\n512\n50\n1\n1\n0\n1\n0\n";
    std::ofstream(dir_ / "text.dat")
        << "500\n0\n512\n64\n1\n1\n1\n1024\nfive\n50\n1\n1\n0\n1\n0\n1000\n";
    std::ofstream(dir_ / "back.dat")
        << "500\n0\n512\n64\n1\n1\n900\n20\n512\n50\n1\n1\n0\n1\n0\n1000\n";
    std::ofstream(dir_ / "range.dat")
        << "2000\n0\n512\n64\n1\n1\n1\n1024\n512\n50\n1\n1\n0\n1\n0\n1000\n";
    sets::Backup backup;
    backup.port = "COM1";
    backup.ccdType = 1;
    backup.ram = kFileSet;
    backup.eeprom = kEeprom;
    std::ofstream(dir_ / "one.backup") << sets::BackupText(backup);
    backup.ccdType = 3;
    std::ofstream(dir_ / "three.backup") << sets::BackupText(backup);
    std::ofstream(dir_ / "old.dat") << "old\n";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<std::string> Args(std::vector<std::string> args) const {
    for (std::string& a : args)
      if (!a.empty() && a[0] == '@') a = (dir_ / a.substr(1)).string();
    return args;
  }
  fs::path dir_;
};

TEST_F(Cli, EveryCommandExitCodeAndFaultAgainstTheSimulatedSensor) {
  sim::Faults silent, wrongSync, wrongEcho, drop, trailing, hangup, changed;
  silent.silent = true;
  wrongSync.wrong_sync = true;
  wrongEcho.wrong_echo = true;
  drop.drop_every = 1;
  trailing.trailing = 4;
  hangup.hangup_after = 5;
  changed.store_changed_word = 9;
  // clang-format off
  const Row rows[] = {
      {"check", {"check"}, 0, {5}, "answered the line check"},
      {"check, wrong sync", {"check"}, 3, {5}, "", "not the reply sync 0x00AA", wrongSync},
      {"identify", {"identify"}, 0, {7, 10}, "pixel pitch: 7.8 um"},
      {"identify as JSON", {"--json", "identify"}, 0, {7, 10}, "pixel; 7.8\xC2\xB5m pixel-pitch"},
      {"identify, 4 trailing bytes", {"identify"}, 3, {7}, "", "no firmware text (76 bytes", trailing},
      {"get", {"get"}, 0, {2}, " 500\n   0\n 512\n  64\n"},
      {"get, trailing bytes", {"get", "--json"}, 0, {2}, "\"exit_status\":0,", "", trailing},
      {"get eeprom to a file", {"get", "--store", "eeprom", "-o", "@got.dat"}, 0, {4}},
      {"get, wrong echo", {"--timeout", "0.2", "get", "-o", "@old.dat"}, 3, {2}, "",
       "no answer to Read RAM", wrongEcho},
      {"get, dropped", {"--timeout", "0.2", "get", "-o", "@new.dat"}, 3, {2}, "", "within 0.2 s",
       drop, 1, "new.dat"},
      {"get, no such directory", {"get", "-o", "@none/x.dat"}, 4, {2}, "", "none/x.dat: "},
      {"send", {"send", "@set.dat"}, 0, {10, 1, 2}, "RAM holds the 16 parameters"},
      {"send eeprom unverified", {"send", "--store", "eeprom", "--no-verify", "@set.dat"}, 0, {10, 3}},
      {"send, a store that changes a word", {"send", "@set.dat"}, 1, {10, 1, 2}, "",
       "RAM holds Tolerance 51, sent 50", changed},
      {"send, out of range", {"send", "@range.dat"}, 4, {}, "",
       "range.dat: line 1: power 2000 is outside 0..1000 (Power); nothing was sent"},
      {"send to a 512-pixel line", {"send", "@set.dat"}, 4, {10}, "",
       "line 8: eEnd 1024 is outside 0..512 (Evaluation to pixel)", {}, 3},
      {"send, a backward window", {"send", "@back.dat"}, 4, {}, "", "lines 7 and 8: the evaluation"},
      {"send, 15 lines", {"send", "@short.dat"}, 4, {}, "", "line 16: value missing"},
      {"send, text in a number", {"send", "@text.dat"}, 4, {}, "", "line 9: not an unsigned decimal"},
      {"send, dry run", {"send", "--dry-run", "@set.dat"}, 0, {}, "00 55 00 01 02 BC 00 00"},
      {"compare", {"compare", "ram", "eeprom"}, 1, {2, 4}, "power      Power"},
      {"compare, same", {"compare", "@set.dat", "@set.dat"}, 0, {}, "hold the same 16 parameters"},
      {"compare with the defaults", {"--json", "compare", "defaults", "eeprom"}, 1, {4},
       "{\"name\":\"pwrMode\",\"label\":\"Power mode\",\"unit\":\"\",\"a\":0,\"a_meaning\":"},
      {"backup", {"backup", "-o", "@taken.backup"}, 0, {2, 4, 7, 10}},
      {"backup, silent", {"--timeout", "0.2", "backup", "-o", "@old.dat"}, 3, {2}, "", "", silent},
      {"restore", {"restore", "@one.backup"}, 0, {10, 3, 4, 1, 2}, "EEPROM and RAM hold the backup"},
      {"restore, other CCD", {"restore", "@one.backup"}, 4, {10}, "", "has type 3 (--force", {}, 3},
      {"watch", {"watch", "-n", "3"}, 0, {2, 7, 10, 8, 8, 8}, "time_ms,edge1,edge2,value,teach"},
      {"watch, hang-up", {"watch", "--format", "jsonl"}, 3, {2, 7, 10, 8, 8, 8}, "\"inside\":",
       "sensor lost", hangup},
      {"trace", {"trace", "@line.trace", "--", "check"}, 0, {5}},
      {"usage", {"check", "--store", "ram"}, 2, {}, "", "--store is not an option of check"},
      {"no device", {"--port", "@absent", "check"}, 5, {}, "", "cannot open: No such file"},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    sim::Config config;
    config.paced = false;
    config.ccd_type = row.ccdType;
    sim::SimThread sensor(config);
    std::string error;
    ASSERT_TRUE(sensor.Start(&error)) << error;
    sensor.SetEeprom(kEeprom);
    const ParamWords before = sensor.Ram();
    sensor.Update([&](sim::Config& c) { c.faults = row.faults; });
    const CliRun run = RunCli(Args(row.args), sensor.SlavePath(), dir_);
    EXPECT_EQ(run.status, row.status) << run.err;
    // No row waits out the sensor's 1.5 s: a lost line is said at once.
    EXPECT_LT(run.seconds, 1.5);
    const std::vector<sim::Request> received = Received(sensor);
    std::vector<int> orders;
    for (const sim::Request& r : received) orders.push_back(r.order);
    EXPECT_EQ(orders, row.orders);
    EXPECT_NE(run.out.find(row.out), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    // Failures are one line on stderr, naming the port or the file.
    if (row.status > 1 && std::string(row.name) != "watch, hang-up") {
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    for (const sim::Request& r : received) {
      if (r.order == 1 || r.order == 3) {
        EXPECT_EQ(r.words, std::string(row.name) == "restore" ? (r.order == 3 ? kEeprom : kFileSet)
                                                              : kFileSet);
      }
      if (r.order == 8) {
        EXPECT_EQ(r.words, before) << "the Run sends the sensor's own set";
      }
    }
    const bool wrote = std::count(orders.begin(), orders.end(), 1) > 0;
    EXPECT_EQ(sensor.Ram(), wrote ? (row.faults.store_changed_word == 9
                                         ? TestParams({{sim::kPower, 700}, {sim::kTTol, 51}})
                                         : kFileSet)
                                  : before);
    if (row.noFile[0] != '\0') {
      EXPECT_FALSE(fs::exists(dir_ / row.noFile));
    }
  }
  EXPECT_EQ(ReadAll(dir_ / "old.dat"), "old\n") << "a failed write leaves the file as it was";
  EXPECT_EQ(ReadAll(dir_ / "got.dat"),
            " 640\n   1\n 480\n  64\n   1\n   0\n  20\n 900\n 300\n  40\n"
            "   1\n   1\n   0\n   1\n   2\n 950\n");
  sets::Backup taken;
  std::string error;
  ASSERT_TRUE(sets::ParseBackup(ReadAll(dir_ / "taken.backup"), &taken, &error)) << error;
  EXPECT_EQ(taken.ram, kTestParams);
  EXPECT_EQ(taken.eeprom, kEeprom);
  EXPECT_EQ(taken.ccdPixels, 1024);
  const monitor::TraceReadResult trace = monitor::ReadTrace(ReadAll(dir_ / "line.trace"));
  ASSERT_TRUE(trace.ok) << trace.error;
  EXPECT_EQ(trace.entries.front().kind, monitor::EntryKind::kOpened);
  EXPECT_EQ(trace.entries.back().kind, monitor::EntryKind::kClosed);
}

// A silent sensor: exit 3 at its limit (1.5 s after the request) and within
// 0.1 s after it.
TEST_F(Cli, ASilentSensorEndsWithThreeAtItsLimit) {
  sim::Config config;
  config.faults.silent = true;
  sim::SimThread sensor(config);
  std::string error;
  ASSERT_TRUE(sensor.Start(&error)) << error;
  const CliRun run = RunCli({"check"}, sensor.SlavePath(), dir_);
  EXPECT_EQ(run.status, 3);
  EXPECT_GT(run.seconds, 1.5);
  ASSERT_EQ(sensor.Orders(), std::vector<int>{5});
  const double sinceRequest = run.ended - sensor.Requests().front().received;
  EXPECT_GT(sinceRequest, 1.49);
  EXPECT_LT(sinceRequest, 1.6);
  EXPECT_EQ(run.err, "vantrel-cli: COM1 (" + sensor.SlavePath() +
                         "): no answer to Echo check within 1.5 s\n");
}

// Two programs on one port: the second is refused as busy and sends nothing.
TEST_F(Cli, ABusyPortEndsWithFiveAndNothingSent) {
  sim::Config config;
  config.paced = false;
  sim::SimThread sensor(config);
  std::string error;
  ASSERT_TRUE(sensor.Start(&error)) << error;
  const fs::path link = dir_ / "sensor";
  fs::create_symlink(sensor.SlavePath(), link);
  ASSERT_EQ(OpenComConfig(2, link.c_str(), 19200, 0, 8, 1, 4096, 4096), 0);
  const CliRun run = RunCli({"--port", sensor.SlavePath(), "get"}, "", dir_);
  const CliRun busy = RunCli({"ports"}, sensor.SlavePath(), dir_);
  CloseCom(2);
  const CliRun free = RunCli({"ports"}, sensor.SlavePath(), dir_);
  EXPECT_EQ(run.status, 5);
  EXPECT_NE(run.err.find("busy"), std::string::npos) << run.err;
  EXPECT_TRUE(Received(sensor).empty());
  // ports says which devices another program holds, and sends them nothing.
  const auto com1Row = [](const std::string& table) {
    const size_t row = table.find("\nCOM1 ");
    if (row == std::string::npos) return std::string();
    return table.substr(row + 1, table.find('\n', row + 1) - row - 1) + " ";
  };
  EXPECT_EQ(busy.status, 0);
  EXPECT_NE(com1Row(busy.out).find(" busy "), std::string::npos) << busy.out;
  EXPECT_NE(com1Row(free.out).find(" free "), std::string::npos) << free.out;
}

// watch | head: the reader goes away, the program ends quietly with 0; SIGTERM
// ends a watch with 0 and its summary line.
TEST_F(Cli, AClosedPipeAndSigtermEndAWatchWithZero) {
  sim::Config config;
  config.paced = false;
  sim::SimThread sensor(config);
  std::string error;
  ASSERT_TRUE(sensor.Start(&error)) << error;
  int pipeFds[2];
  ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
  const auto began = std::chrono::steady_clock::now();
  const pid_t piped = Start({"watch", "--format", "jsonl"}, sensor.SlavePath(), dir_, pipeFds[1]);
  close(pipeFds[1]);
  char byte = 0;
  while (read(pipeFds[0], &byte, 1) == 1 && byte != '\n') {
  }
  close(pipeFds[0]);
  CliRun run = Finish(piped, dir_, began);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");

  const pid_t watching = Start({"watch"}, sensor.SlavePath(), dir_);
  // The recording's header is 24 lines; a row follows it.
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::string out = ReadAll(dir_ / "out");
        return std::count(out.begin(), out.end(), '\n') > 24;
      },
      5.0));
  kill(watching, SIGTERM);
  run = Finish(watching, dir_, began);
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find(" per second, 0 time-outs; measured value min "), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("inside the band"), std::string::npos) << run.err;
}

// --all over three sensors, one of them silent: every sensor asked at once, a
// row each, exit 3.
TEST_F(Cli, AllRunsOnEverySensorAndSaysWhichFailed) {
  std::vector<std::unique_ptr<sim::SimThread>> sensors;
  std::ofstream list(dir_ / "machine.sensors");
  for (const char* name : {"left", "mid", "right"}) {
    sim::Config config;
    config.paced = false;
    config.faults.silent = std::string(name) == "mid";
    sensors.push_back(std::make_unique<sim::SimThread>(config));
    std::string error;
    ASSERT_TRUE(sensors.back()->Start(&error)) << error;
    list << name << " " << sensors.back()->SlavePath() << "\n";
  }
  list.close();
  const CliRun run = RunCli(Args({"--sensors", "@machine.sensors", "--all", "--timeout", "0.3",
                                  "get", "-o", "@{name}.dat"}),
                            "", dir_);
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.out.find("mid    " + sensors[1]->SlavePath() + "  no answer: "), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("right  " + sensors[2]->SlavePath() + "  ok"), std::string::npos)
      << run.out;
  EXPECT_TRUE(fs::exists(dir_ / "left.dat") && fs::exists(dir_ / "right.dat"));
  EXPECT_FALSE(fs::exists(dir_ / "mid.dat"));
  for (auto& sensor : sensors) EXPECT_EQ(sensor->Orders(), (std::vector<int>{2}));
}

}  // namespace

// A sensor behind a serial device server (ser2net, both modes) is reached as
// on the desk: each command sends the sensor what it sends on a local port,
// and prints the same.
TEST_F(Cli, ANetworkPortInEitherModeCarriesTheCommandsAsALocalPort) {
  const std::vector<std::vector<std::string>> commands = {
      {"check"}, {"identify"}, {"get"}, {"send", "@set.dat"}, {"watch", "-n", "5"}};
  std::vector<std::vector<std::pair<int, ParamWords>>> logs;
  std::vector<std::string> printed;
  for (const char* way : {"local", "rfc2217", "tcp"}) {
    SCOPED_TRACE(way);
    sim::Config config;
    config.paced = false;
    sim::SimThread sensor(config);
    std::string error;
    ASSERT_TRUE(sensor.Start(&error)) << error;
    Ser2netServer server;
    std::string port = sensor.SlavePath();
    if (std::string(way) != "local") {
      const Ser2netMode mode =
          std::string(way) == "tcp" ? Ser2netMode::kRawTcp : Ser2netMode::kRfc2217;
      ASSERT_TRUE(server.Start(sensor.SlavePath(), mode, "2400n81", &error)) << error;
      port = server.Url();
    }
    std::string out;
    for (const std::vector<std::string>& command : commands) {
      std::vector<std::string> args{"--port", port};
      args.insert(args.end(), command.begin(), command.end());
      const CliRun run = RunCli(Args(args), "", dir_);
      EXPECT_EQ(run.status, 0) << command[0] << ": " << run.err;
      // A watch row starts with its time; the rest is the sensor's, and the
      // port as given.
      std::string text = command[0] != "watch" ? run.out : "";
      for (size_t at = text.find(port); at != std::string::npos; at = text.find(port))
        text.replace(at, port.size(), "PORT");
      out += text;
    }
    printed.push_back(out);
    std::vector<std::pair<int, ParamWords>> log;
    for (const sim::Request& r : Received(sensor)) log.emplace_back(r.order, r.words);
    logs.push_back(log);
  }
  ASSERT_FALSE(logs[0].empty());
  EXPECT_EQ(logs[1], logs[0]);
  EXPECT_EQ(logs[2], logs[0]);
  EXPECT_EQ(printed[1], printed[0]);
  EXPECT_EQ(printed[2], printed[0]);
}
