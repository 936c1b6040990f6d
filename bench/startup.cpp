// Start-up of the real program against the simulated sensor, from process
// start to the main panel shown: the benchmark starts itself again as a child
// process for each round (so the time includes loading the program and its
// libraries), and the child reports the moment its main panel is shown.
// Also the peak memory of a start-up.
//
//   bench_startup [--quick] [--turns N]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/vantrel.h"
#include "bench/figures.h"
#include "bench/sim_process.h"
#include "display/controls.h"
#include "display/status.h"
#include "runtime/testing/inspect.h"
#include "runtime/testing/resource_path.h"

namespace {
// Bytes on the line during the bring-up: three 36-byte exchanges (line check,
// parameter read, CCD information) and the firmware query with its 72 bytes.
constexpr double kBringUpBytes = 3 * (36 + 36) + (36 + 72);
constexpr double kSecondsPerByte = 10.0 / 19200.0;

// The child: start up, report "<seconds when shown> <peak MB>", shut down.
int Child(const char* device) {
  setenv("VANTREL_COM1", device, 1);
  const char* resource = PanelResourcePath();
  char* argv[] = {const_cast<char*>("vantrel"), nullptr};
  if (StartUp(1, argv, resource) != 0) return 1;
  const double shown = bench::MonotonicSeconds();
  if (InspectPanelVisible(panelHandle) != 1) return 1;
  std::printf("%.6f %.3f %s\n", shown, bench::PeakRssMB(), szStatus);
  ShutDown();
  return 0;
}

// One round: returns the seconds from the child's start to its panel shown.
double Round(const char* self, const std::string& device, double* peakMB) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(1);
  const double started = bench::MonotonicSeconds();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    execl(self, self, "--child", device.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char line[256] = "";
  FILE* in = fdopen(fds[0], "r");
  const bool got = std::fgets(line, sizeof line, in) != nullptr;
  std::fclose(in);
  int status = 0;
  waitpid(pid, &status, 0);
  double shown = 0;
  if (!got || std::sscanf(line, "%lf %lf", &shown, peakMB) != 2) {
    std::fprintf(stderr, "start-up did not complete: %s\n", line);
    std::exit(1);
  }
  return shown - started;
}
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return Child(argv[2]);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const int rounds = options.quick ? 3 : 10;

  bench::SimProcess paced, unpaced;
  if (!paced.Start({}) || !unpaced.Start({"--unpaced"})) {
    std::fprintf(stderr, "the simulated sensor did not start\n");
    return 1;
  }
  std::vector<double> pacedTimes, unpacedTimes;
  double peak = 0, p = 0;
  for (int i = 0; i < rounds; ++i) {
    pacedTimes.push_back(Round(argv[0], paced.Path(), &p));
    peak = std::max(peak, p);
    unpacedTimes.push_back(Round(argv[0], unpaced.Path(), &p));
    peak = std::max(peak, p);
  }
  std::sort(pacedTimes.begin(), pacedTimes.end());
  std::sort(unpacedTimes.begin(), unpacedTimes.end());
  const double line = kBringUpBytes * kSecondsPerByte;
  // The median: one round disturbed by the machine does not decide.
  bench::AtMost("startup_paced", pacedTimes[pacedTimes.size() / 2], "s", 0.3);
  bench::Reference("startup_paced_worst", pacedTimes.back(), "s");
  bench::Reference("startup_line_time", line, "s");
  bench::Reference("startup_unpaced", unpacedTimes[unpacedTimes.size() / 2], "s");
  bench::Reference("startup_peak_rss", peak, "MB", "%.1f");
  return 0;
}
