// The trend plot: the measured value of every frame of the Run over the last
// minutes (x: seconds of the Run on a page of two minutes from the Run's
// start, moved on by half a minute when the newest frame reaches its right
// edge; y: fitted to the values and the band, held while they fit), the teach value and the
// tolerance band as the sensor reported them with each frame (a change shows as a step), and the
// frames outside the band marked red. It only shows the series it is given.
//
// New frames are painted through the engine's repaint throttle
// (runtime/repaint_throttle.h): however often seriesChanged() is called, the
// plot is painted at most at the screen's refresh rate, and the newest frame
// is on screen within one refresh. While the view stays, only the stretch of
// the new frames is repainted.
//
// Operator input, as on the panel's graphs and from the same code
// (runtime/view_zoom.h): the plot
// takes the keyboard focus by Tab or a click; then the wheel zooms around the
// pointer, a rectangle dragged with the left button zooms to it, '+' and '-'
// zoom around the centre, and '0', Home or a double-click return to the
// automatic view. A zoomed view stays on the seconds it shows while the Run
// goes on. Frozen or zoomed, the plot says so on its face and in its
// accessible description ("FROZEN", "zoomed · 0: full axes"); its accessible
// value is describe().
#pragma once

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

#include "runtime/repaint_throttle.h"
#include "runtime/view_zoom.h"
#include "watch/trend_series.h"

namespace watch {

class TrendPlot : public QWidget, private ZoomablePlot {
  Q_OBJECT
 public:
  // `series` outlives the plot.
  explicit TrendPlot(const TrendSeries& series, QWidget* parent = nullptr);

  // The series changed: painted at the screen's next frame, not while frozen.
  void seriesChanged();

  // Frozen, the plot keeps showing the frames it shows now; released, it
  // paints the newest at once.
  void setFrozen(bool frozen);
  bool frozen() const { return frozen_ != nullptr; }
  bool zoomed() const { return zoom_.zoomed(); }
  void resetZoom();

  // What the plot shows, in words: the frames it holds and the newest of them,
  // "130 frames; newest at 4.33 s: measured value 403, band 395 to 405, inside";
  // while frozen, those of the frozen picture.
  QString describe() const;

  // Seconds the automatic view spans (default two minutes).
  static constexpr double kWindowSeconds = 120.0;

  QSize sizeHint() const override { return QSize(720, 320); }
  QSize minimumSizeHint() const override { return QSize(240, 120); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  using Range = ViewRange;
  using View = PlotView;

  const TrendSeries& shown() const { return frozen_ ? *frozen_ : live_; }
  View automaticView() const;
  // ZoomablePlot: a zoomed view stays on the seconds it shows.
  QRectF zoomArea() const override { return plotArea(); }
  View wholeView() const override { return automaticView(); }
  View shownView() const override { return zoom_.view().value_or(automaticView()); }
  void zoomChanged() override { viewChanged(); }
  QRectF plotArea() const;
  QRect changedRect() const;
  void viewChanged();

  const TrendSeries& live_;
  std::unique_ptr<TrendSeries> frozen_;  // the frames shown while frozen
  ViewZoom zoom_{*this, *this};
  RepaintThrottle throttle_{this, [this] { return QRegion(changedRect()); }};
  // The view, the frames and the newest frame's time on screen, as last painted.
  std::optional<View> painted_;
  size_t paintedFrames_ = 0;
  double paintedNewest_ = 0.0;
  // The automatic view's y range, held on a page while the frames fit it.
  mutable std::optional<Range> heldY_;
  mutable double heldPage_ = 0.0;
  mutable QFont labelWidthFont_;  // the font labelWidth_ was measured in
  mutable int labelWidth_ = -1;   // of the widest tick label on the y axis; -1 not yet
};

}  // namespace watch
