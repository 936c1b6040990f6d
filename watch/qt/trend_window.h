// The trend window ("TrendWindow", title "Trend"): the trend plot of the Run,
// below it the Run's statistics and a Freeze toggle bound to the one Freeze
// state. It watches every Run from its creation, shown or not: the statistics
// and the trend start afresh when a Run starts and stay after it ends.
//
// Assistive technology reads the statistics as "Run statistics" with the whole
// statistics line (RunStatistics::Text()) as its value; the label follows the
// Run at most twice a second. It is a feature window
// (runtime/feature_window.h): Escape closes it, the focus starts on Freeze.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "watch/qt/freeze.h"
#include "watch/qt/run_feed.h"
#include "watch/qt/trend_plot.h"
#include "watch/run_statistics.h"
#include "watch/trend_series.h"

namespace watch {

class TrendWindow : public QWidget, public RunObserver {
  Q_OBJECT
 public:
  // `freeze` outlives the window.
  explicit TrendWindow(Freeze& freeze);
  ~TrendWindow() override;

  // RunObserver
  void RunStarted() override;
  void FrameReceived(const RunFrame& frame) override;
  void TimedOut() override;
  void RunEnded() override;

 private:
  void showStatistics();

  TrendSeries series_;
  RunStatistics statistics_;
  TrendPlot* plot_;
  QPushButton* freeze_;
  QLabel* statisticsLabel_;
  double shownAtMs_ = 0.0;  // the Run time of the frame the label was last shown for
};

}  // namespace watch
