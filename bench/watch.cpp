// What watching and keeping costs a paced Run: the program's CPU with a
// recording written and the trend kept (its window closed), and with the
// trend window open too, against the same Run with the line monitor alone
// (the trend and the recording listen to its entries), one after the other in
// the same run, so that a machine that is busier in one turn (--turns) than in
// another does not count: the figures are each run's differences.
//
//   bench_watch [--quick] [--turns N]   (offscreen unless QT_QPA_PLATFORM says otherwise)
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

// A recording armed, as the operator would do it; with the trend window
// open, or closed (the trend and the statistics still follow the Run).
void Record() {
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, g_recording);
  Press("Record");
}
void OpenTrendAndRecord() {
  Press("Trend");
  Record();
}

long FileSize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return 0;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  return size;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 3.0 : 8.0;
  g_recording = "/tmp/vantrel-bench-recording-" + std::to_string(getpid()) + ".csv";

  // Without, with the trend kept and a recording, with the trend window open
  // too, one after the other; the differences are taken within one run.
  enum Variant { kNone, kKept, kOpen };
  double cpu[3] = {};
  {
    for (const Variant variant : {kNone, kKept, kOpen}) {
      if (!InstallLineMonitor(nullptr)) return 1;
      if (variant != kNone) InstallWatchTools();
      bench::LoopFigures figures;
      const bool ran = bench::DriveLoop(BTNRun, seconds, {}, &figures, false,
                                        variant == kNone   ? nullptr
                                        : variant == kKept ? Record
                                                           : OpenTrendAndRecord);
      UninstallWatchTools();
      UninstallLineMonitor();
      if (!ran) return 1;
      if (variant != kNone) {
        g_recordedBytes = FileSize(g_recording);
        unlink(g_recording.c_str());
        if (g_recordedBytes == 0) {
          std::fprintf(stderr, "nothing was recorded\n");
          return 1;
        }
      }
      cpu[variant] = figures.cpu;
    }
  }
  bench::Reference("watch_none_run_paced_cpu", cpu[kNone], "%core", "%.2f");
  bench::Reference("watch_kept_run_paced_cpu", cpu[kKept], "%core", "%.2f");
  bench::Reference("watch_open_run_paced_cpu", cpu[kOpen], "%core", "%.2f");
  bench::AtMost("watch_recording_trend_kept_added_cpu", cpu[kKept] - cpu[kNone], "%core", 0.3,
                "%.2f");
  bench::AtMost("watch_recording_trend_open_added_cpu", cpu[kOpen] - cpu[kNone], "%core", 0.5,
                "%.2f");
  bench::Reference("watch_recording_bytes", static_cast<double>(g_recordedBytes), "bytes", "%.0f");
  return 0;
}
