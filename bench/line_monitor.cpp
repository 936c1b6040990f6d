// The line monitor's cost: the unpaced Run (a sensor that answers at once, so
// the program itself is the limit) with the monitor installed and its window
// closed, and with the window open and following the line, one after the
// other in the same run; how often the open window repaints its table; and the CPU of a
// paced Run with the window open.
//
//   bench_line_monitor [--quick] [--turns N]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "bench/figures.h"
#include "bench/live_loop.h"
#include "display/controls.h"
#include "monitor/qt/line_monitor.h"

namespace {

// Counts the paints of the monitor window's table.
class PaintCounter : public QObject {
 public:
  long paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

PaintCounter g_counter;

// Opens the monitor window with its button on the main panel, as the operator
// would, and counts its table's paints from now on.
void OpenMonitorWindow() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    for (QPushButton* b : top->findChildren<QPushButton*>()) {
      if (b->accessibleName() == "Line monitor") b->click();
    }
  }
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->windowTitle().startsWith("Line monitor") && top->isVisible()) {
      for (QAbstractItemView* view : top->findChildren<QAbstractItemView*>())
        view->viewport()->installEventFilter(&g_counter);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 2.0 : 4.0;

  // Without the monitor, with it and its window closed, with the window open,
  // one after the other; the ratios are taken within one run, so that a
  // machine that is busier in one turn (--turns) than in another does not count.
  enum Variant { kNone, kClosed, kOpen };
  double rate[3] = {}, repaints = 0;
  {
    for (const Variant variant : {kNone, kClosed, kOpen}) {
      if (variant != kNone && !InstallLineMonitor(nullptr)) return 1;
      g_counter.paints = 0;
      bench::LoopFigures figures;
      if (!bench::DriveLoop(BTNRun, seconds, {"--unpaced"}, &figures, false,
                            variant == kOpen ? OpenMonitorWindow : nullptr))
        return 1;
      UninstallLineMonitor();
      rate[variant] = figures.rate;
      if (variant == kOpen) repaints = static_cast<double>(g_counter.paints) / figures.seconds;
    }
  }
  bench::Reference("monitor_none_run_unpaced_cycles", rate[kNone], "cycles/s", "%.0f");
  bench::Reference("monitor_closed_run_unpaced_cycles", rate[kClosed], "cycles/s", "%.0f");
  bench::Reference("monitor_open_run_unpaced_cycles", rate[kOpen], "cycles/s", "%.0f");
  bench::AtLeast("monitor_closed_to_none", rate[kClosed] / rate[kNone], "ratio", 0.95, "%.3f");
  bench::AtLeast("monitor_open_to_closed", rate[kOpen] / rate[kClosed], "ratio", 0.9, "%.3f");
  bench::AtMost("monitor_repaints", repaints, "paints/s", 60.5, "%.1f");
  // What the open window costs a Run at the line's pace, beside the program's
  // own CPU without the monitor.
  bench::LoopFigures pacedNone, pacedOpen;
  if (!bench::DriveLoop(BTNRun, seconds, {}, &pacedNone)) return 1;
  if (!InstallLineMonitor(nullptr)) return 1;
  if (!bench::DriveLoop(BTNRun, seconds, {}, &pacedOpen, false, OpenMonitorWindow)) return 1;
  UninstallLineMonitor();
  bench::Reference("monitor_none_run_paced_cpu", pacedNone.cpu, "%core", "%.2f");
  bench::Reference("monitor_open_run_paced_cpu", pacedOpen.cpu, "%core", "%.2f");
  bench::AtMost("monitor_open_added_cpu", pacedOpen.cpu - pacedNone.cpu, "%core", 1.0, "%.2f");
  return 0;
}
