// vantrel-cli against the simulated sensor paced at 19200 baud, the program
// run as a script runs it:
//   - `get` from the process's start to its exit, against one exchange's time
//     on the line plus the port's opening (measured here on the same device):
//     what the program adds beyond them;
//   - `watch`: frames a second against the line's limit (36 + 36 bytes a
//     frame, 10 bits a byte), and the program's CPU while it runs, both taken
//     over the rows after the first few (the start-up's queries are not the
//     loop's), beside a bare poll/read/write loop's ratio on the same line in
//     the same run: what the machine allows at that moment.
//
//   bench_cli [--quick] [--turns N]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bare_exchange.h"
#include "bench/figures.h"
#include "bench/sim_process.h"
#include "runtime/event_wait.h"
#include "runtime/rs232.h"

namespace {

constexpr double kSecondsPerByte = 10.0 / 19200.0;
constexpr double kExchangeSeconds = (36 + 36) * kSecondsPerByte;
constexpr double kLineFramesPerSecond = 1.0 / kExchangeSeconds;
constexpr int kRowsBeforeMeasuring = 5;

// Starts vantrel-cli with `args`, its standard output into a pipe whose read
// end is returned in *out (-1: /dev/null), its standard error to /dev/null.
pid_t StartCli(const std::vector<std::string>& args, int* out) {
  int fds[2] = {-1, -1};
  if (out != nullptr && pipe2(fds, O_CLOEXEC) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(out != nullptr ? fds[1] : null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::vector<std::string> all{VANTREL_CLI_BIN};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (out != nullptr) {
    close(fds[1]);
    *out = fds[0];
  }
  return pid;
}

// Seconds from the start of `vantrel-cli get` to its exit; negative when it failed.
double GetOnce(const std::string& device) {
  const double started = bench::MonotonicSeconds();
  const pid_t pid = StartCli({"--port", device, "get"}, nullptr);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1.0;
  const double seconds = bench::MonotonicSeconds() - started;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1.0;
}

// Seconds to open and configure the port on `device` as the program does.
double OpenOnce(const std::string& device) {
  const double started = bench::MonotonicSeconds();
  const int opened = OpenComConfig(2, device.c_str(), 19200, 0, 8, 1, 4096, 4096);
  const double seconds = bench::MonotonicSeconds() - started;
  if (opened < 0) return -1.0;
  CloseCom(2);
  return seconds;
}

// CPU seconds the process `pid` has used so far, from /proc.
double ProcessCpuSeconds(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return -1.0;
  char text[1024] = "";
  const size_t n = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  text[n] = '\0';
  // After the command name in parentheses: state is field 3, utime 14, stime 15.
  const char* rest = std::strrchr(text, ')');
  unsigned long utime = 0, stime = 0;
  if (rest == nullptr ||
      std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime,
                  &stime) != 2)
    return -1.0;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct WatchFigures {
  double framesPerSecond = 0.0;
  double cpuShare = 0.0;  // of one core
};

// `watch` for `seconds` after its first rows; false when it did not run.
bool WatchFor(const std::string& device, double seconds, WatchFigures* figures) {
  int out = -1;
  const pid_t pid = StartCli({"--port", device, "--quiet", "watch", "--format", "jsonl"}, &out);
  if (pid < 0) return false;
  long rows = 0;
  long firstRow = 0;
  double firstAt = 0.0, lastAt = 0.0, cpuFirst = 0.0, cpuLast = 0.0;
  std::string pending;
  const double giveUp = bench::MonotonicSeconds() + seconds + 10.0;
  for (;;) {
    pollfd p{out, POLLIN, 0};
    if (poll(&p, 1, 1000) < 0) continue;
    char buffer[4096];
    const ssize_t n = read(out, buffer, sizeof buffer);
    if (n <= 0 || bench::MonotonicSeconds() > giveUp) break;
    const double now = bench::MonotonicSeconds();
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] != '\n') continue;
      ++rows;
      if (rows == kRowsBeforeMeasuring) {
        firstRow = rows;
        firstAt = now;
        cpuFirst = ProcessCpuSeconds(pid);
      }
    }
    if (firstRow > 0 && now - firstAt >= seconds) {
      lastAt = now;
      cpuLast = ProcessCpuSeconds(pid);
      break;
    }
  }
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  close(out);
  if (firstRow == 0 || lastAt <= firstAt || cpuFirst < 0 || cpuLast < 0) return false;
  figures->framesPerSecond = static_cast<double>(rows - firstRow) / (lastAt - firstAt);
  figures->cpuShare = (cpuLast - cpuFirst) / (lastAt - firstAt);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv);
  const int rounds = options.quick ? 3 : 11;
  const double watchSeconds = options.quick ? 3.0 : 15.0;
  if (InitEventCore(argc, argv) != 1) return 1;

  bench::SimProcess paced;
  if (!paced.Start({})) {
    std::fprintf(stderr, "the simulated sensor did not start\n");
    return 1;
  }
  std::vector<double> gets, opens;
  for (int i = 0; i < rounds; ++i) {
    const double open = OpenOnce(paced.Path());
    const double get = GetOnce(paced.Path());
    if (open < 0 || get < 0) {
      std::fprintf(stderr, "vantrel-cli get or the port's opening failed\n");
      return 1;
    }
    opens.push_back(open);
    gets.push_back(get);
  }
  const double get = bench::Median(gets), open = bench::Median(opens);
  bench::AtMost("cli_get_beyond_line_and_open", (get - kExchangeSeconds - open) * 1000.0, "ms",
                60.0, "%.1f");
  bench::Reference("cli_get_start_to_exit", get * 1000.0, "ms", "%.1f");
  bench::Reference("cli_port_open", open * 1000.0, "ms", "%.1f");
  bench::Reference("cli_exchange_line_time", kExchangeSeconds * 1000.0, "ms", "%.1f");

  WatchFigures watch;
  if (!WatchFor(paced.Path(), watchSeconds, &watch)) {
    std::fprintf(stderr, "vantrel-cli watch did not run\n");
    return 1;
  }
  bench::AtLeast("cli_watch_paced_ratio", watch.framesPerSecond / kLineFramesPerSecond, "ratio",
                 0.98);
  bench::AtMost("cli_watch_cpu", watch.cpuShare * 100.0, "% of a core", 1.0, "%.2f");
  // What this machine's pty and a paced sensor allow at all: a bare loop's
  // exchanges with a fresh paced sensor, right after.
  bench::SimProcess twin;
  if (twin.Start({})) {
    bench::Reference(
        "bare_paced_ratio",
        bench::BareExchangeRate(twin.Path(), options.quick ? 3.0 : 10.0) / kLineFramesPerSecond,
        "ratio");
  }
  return 0;
}
