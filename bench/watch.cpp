// What watching and keeping costs a paced Run: the program's CPU with the
// trend window open and a recording written, against the same Run with the
// line monitor alone (the trend and the recording listen to its entries), in
// alternating turns in the same run, so that a machine that is busier in one
// turn than in another does not count. The figure is the median of the
// turns' differences.
//
//   bench_watch [--quick]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/figures.h"
#include "bench/live_loop.h"
#include "display/controls.h"
#include "monitor/qt/line_monitor.h"
#include "runtime/testing/inspect.h"
#include "runtime/utility.h"
#include "watch/qt/watch_tools.h"

namespace {

std::string g_recording;
long g_recordedBytes = 0;

void Press(const char* accessibleName) {
  for (QWidget* top : QApplication::topLevelWidgets())
    for (QAbstractButton* b : top->findChildren<QAbstractButton*>())
      if (b->accessibleName() == accessibleName && b->isVisible()) {
        b->click();
        return;
      }
}

// The trend window open and a recording armed, as the operator would do it.
void OpenTrendAndRecord() {
  Press("Trend");
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, g_recording);
  Press("Record");
}

long FileSize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return 0;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  return size;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 3.0 : 8.0;
  const int turns = options.quick ? 1 : 5;
  g_recording = "/tmp/vantrel-bench-recording-" + std::to_string(getpid()) + ".csv";

  std::vector<double> without, with, added;
  for (int turn = 0; turn < turns; ++turn) {
    bench::LoopFigures plain, watched;
    if (!InstallLineMonitor(nullptr)) return 1;
    if (!bench::DriveLoop(BTNRun, seconds, {}, &plain)) return 1;
    InstallWatchTools();
    if (!bench::DriveLoop(BTNRun, seconds, {}, &watched, false, OpenTrendAndRecord)) return 1;
    UninstallWatchTools();
    UninstallLineMonitor();
    g_recordedBytes = FileSize(g_recording);
    unlink(g_recording.c_str());
    if (g_recordedBytes == 0) {
      std::fprintf(stderr, "nothing was recorded\n");
      return 1;
    }
    without.push_back(plain.cpu);
    with.push_back(watched.cpu);
    added.push_back(watched.cpu - plain.cpu);
  }
  bench::Reference("watch_none_run_paced_cpu", Median(without), "%core", "%.2f");
  bench::Reference("watch_trend_recording_run_paced_cpu", Median(with), "%core", "%.2f");
  bench::AtMost("watch_trend_recording_added_cpu", Median(added), "%core", 0.5, "%.2f");
  bench::Reference("watch_recording_bytes", static_cast<double>(g_recordedBytes), "bytes", "%.0f");
  return 0;
}
