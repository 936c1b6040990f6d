#include "watch/qt/trend_plot.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace watch {
namespace {

// The panel graphs' colours, so that the trend reads like the scope.
const QColor kPlotBackground(0x12, 0x19, 0x21);
const QColor kGrid(0x2c, 0x38, 0x45);
const QColor kPlotFrame(0x55, 0x62, 0x70);
const QColor kBandFill(0x00, 0xC0, 0x00, 60);
const QColor kBandEdge(0x00, 0xFF, 0x00);
const QColor kValue(0xFF, 0xD6, 0x00);
const QColor kOutside(0xFF, 0x30, 0x30);

constexpr double kMarkerReach = 4.0;  // pixels a frame's marker reaches beside it

// A round step that cuts `span` into about `parts`.
double NiceStep(double span, int parts) {
  const double raw = span / std::max(parts, 1);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double norm = raw / magnitude;
  return (norm < 1.5 ? 1.0 : norm < 3.0 ? 2.0 : norm < 7.0 ? 5.0 : 10.0) * magnitude;
}

std::vector<double> Ticks(double min, double max, double step) {
  std::vector<double> ticks;
  for (double t = std::ceil(min / step) * step; t <= max + step * 1e-9; t += step)
    ticks.push_back(std::abs(t) < step * 1e-9 ? 0.0 : t);
  return ticks;
}

QString TickText(double value, double step) {
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step))));
  return QString::number(value, 'f', decimals);
}

// The teach value's dashed line from x0 to x1: dashes of 4 pixels every 6,
// counted from the plot's left edge, so that a stretch painted alone
// continues them exactly.
void DrawTeachLine(QPainter& p, double x0, double x1, double y, double left) {
  constexpr double kDash = 4.0, kPeriod = 6.0;
  p.setPen(QPen(kBandEdge, 1.0));
  for (double d = left + std::floor((x0 - left) / kPeriod) * kPeriod; d < x1; d += kPeriod) {
    const double from = std::max(d, x0), to = std::min(d + kDash, x1);
    if (to > from) p.drawLine(QPointF(from, y), QPointF(to, y));
  }
}

class TrendAccessible : public QAccessibleWidget {
 public:
  explicit TrendAccessible(TrendPlot* plot) : QAccessibleWidget(plot, QAccessible::Chart) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return static_cast<const TrendPlot*>(widget())->describe();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* TrendFactory(const QString&, QObject* object) {
  if (auto* plot = qobject_cast<TrendPlot*>(object)) return new TrendAccessible(plot);
  return nullptr;
}

}  // namespace

TrendPlot::TrendPlot(const TrendSeries& series, QWidget* parent) : QWidget(parent), live_(series) {
  static const bool factoryInstalled = (QAccessible::installFactory(TrendFactory), true);
  (void)factoryInstalled;
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAccessibleName("Trend of the measured value");
  setMinimumSize(minimumSizeHint());
}

void TrendPlot::seriesChanged() {
  if (frozen_ || !isVisible()) return;  // released or shown, the newest is painted whole
  throttle_.request();
}

// What new frames change: with the view as last painted, only the stretch
// from the last frame painted to the newest; else everything.
QRect TrendPlot::changedRect() const {
  const TrendSeries& s = shown();
  const View v = shownView();
  if (!painted_ || s.Size() == 0 || v.x.min != painted_->x.min || v.x.max != painted_->x.max ||
      v.y.min != painted_->y.min || v.y.max != painted_->y.max || s.Size() < paintedFrames_)
    return rect();
  const QRectF area = plotArea();
  const auto px = [&](double t) {
    return area.left() + (t - v.x.min) / (v.x.max - v.x.min) * area.width();
  };
  const double from = px(paintedNewest_) - kMarkerReach;
  const double to = px(s.At(s.Size() - 1).seconds) + kMarkerReach;
  // Within the plot area, which clips the frames' markers anyway.
  return QRectF(QPointF(from, area.top()), QPointF(to, area.bottom())).toAlignedRect() &
         area.toAlignedRect();
}

void TrendPlot::showEvent(QShowEvent* event) {
  throttle_.cancel();  // the first paint shows everything
  QWidget::showEvent(event);
}

void TrendPlot::setFrozen(bool frozen) {
  if (frozen == this->frozen()) return;
  if (frozen) {
    frozen_ = std::make_unique<TrendSeries>(live_);
    throttle_.cancel();
  } else {
    frozen_.reset();
  }
  viewChanged();
}

TrendPlot::View TrendPlot::automaticView() const {
  const TrendSeries& s = shown();
  View v;
  // A strip chart: the window starts at the Run's start and moves on by a
  // quarter when the newest frame reaches its right edge, so that a new frame
  // only adds to the picture (painted alone) instead of moving all of it.
  v.x = Range{0.0, kWindowSeconds};
  if (s.Size() > 0) {
    const double newest = s.At(s.Size() - 1).seconds;
    const double step = kWindowSeconds / 4.0;
    if (newest > kWindowSeconds) v.x.min = std::ceil((newest - kWindowSeconds) / step) * step;
    v.x.max = v.x.min + kWindowSeconds;
  }
  double low = 0.0, high = 0.0;
  if (!s.Extent(s.Within(v.x.min, v.x.max), &low, &high)) {
    heldY_.reset();
    return View{v.x, Range{0.0, 1.0}};
  }
  // The y range is held while the frames stay inside it on the same page, with
  // room to spare, for the same reason.
  if (!heldY_ || heldPage_ != v.x.min || low < heldY_->min || high > heldY_->max ||
      (heldY_->max - heldY_->min) > 4.0 * std::max(high - low, 1.0) + 20.0) {
    const double margin = std::max((high - low) * 0.15, 4.0);
    heldY_ = Range{low - margin, high + margin};
    heldPage_ = v.x.min;
  }
  v.y = *heldY_;
  return v;
}

void TrendPlot::resetZoom() {
  zoom_.reset();
}

QString TrendPlot::describe() const {
  const TrendSeries& s = shown();
  if (s.Size() == 0) return "No frames";
  const TrendPoint& p = s.At(s.Size() - 1);
  return QString("%1 frame%2; newest at %3 s: measured value %4, band %5 to %6, %7")
      .arg(s.Size())
      .arg(s.Size() == 1 ? "" : "s")
      .arg(p.seconds, 0, 'f', 2)
      .arg(p.value)
      .arg(int(p.teach) - p.tolerance)
      .arg(int(p.teach) + p.tolerance)
      .arg(p.inside ? "inside" : "outside");
}

// The view changed by the operator or Freeze: painted at once and said in words.
void TrendPlot::viewChanged() {
  const QString description = ViewZoom::Marks(frozen(), zoomed());
  if (description != accessibleDescription()) setAccessibleDescription(description);
  update();
}

QRectF TrendPlot::plotArea() const {
  const QFontMetrics fm(font());
  // Measuring text shapes it: done once for the font, not at every frame.
  if (labelWidth_ < 0 || labelWidthFont_ != font()) {
    labelWidthFont_ = font();
    labelWidth_ = fm.horizontalAdvance("000000");
  }
  const double left = labelWidth_ + fm.height() + 10.0;
  const double bottom = 2.0 * fm.height() + 8.0;
  return QRectF(left, 8.0, width() - left - 12.0, height() - 8.0 - bottom);
}

void TrendPlot::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRectF area = plotArea();
  if (area.width() < 10 || area.height() < 10) return;
  const View v = shownView();
  const TrendSeries& s = shown();
  if (throttle_.paintsScreen(p)) {
    // A stretch this paint leaves out is painted at the next frame.
    const QRegion missing = QRegion(changedRect()) - event->region();
    painted_ = v;
    paintedFrames_ = s.Size();
    paintedNewest_ = s.Size() > 0 ? s.At(s.Size() - 1).seconds : 0.0;
    if (!missing.isEmpty()) throttle_.request(missing);
  }
  // A stretch of new frames repaints only their part of the plot area: the
  // tick labels and axis names around it stay as they are.
  const QRect dirty = event->rect();
  const bool labels = !area.adjusted(-2.0, -2.0, 2.0, 2.0).contains(QRectF(dirty));
  const QFontMetrics fm(font());
  const auto px = [&](double s) {
    return area.left() + (s - v.x.min) / (v.x.max - v.x.min) * area.width();
  };
  const auto py = [&](double value) {
    return area.bottom() - (value - v.y.min) / (v.y.max - v.y.min) * area.height();
  };
  // The plot paints every pixel it owns, so Qt need not paint the window's
  // background under it first.
  if (labels) p.fillRect(rect(), palette().color(QPalette::Window));
  p.fillRect(area, kPlotBackground);

  // Grid, tick labels (no negative seconds: the Run starts at 0) and axis names.
  const double xStep = NiceStep(v.x.max - v.x.min, std::max(2, int(area.width() / 80)));
  const double yStep = NiceStep(v.y.max - v.y.min, std::max(2, int(area.height() / 32)));
  const std::vector<double> xTicks = Ticks(std::max(v.x.min, 0.0), v.x.max, xStep);
  const std::vector<double> yTicks = Ticks(v.y.min, v.y.max, yStep);
  p.setPen(QPen(kGrid, 1.0));
  for (double t : xTicks) p.drawLine(QPointF(px(t), area.top()), QPointF(px(t), area.bottom()));
  for (double t : yTicks) p.drawLine(QPointF(area.left(), py(t)), QPointF(area.right(), py(t)));
  p.setPen(palette().color(QPalette::WindowText));
  if (labels) {
    for (double t : xTicks) {
      const QString s = TickText(t, xStep);
      const double w = fm.horizontalAdvance(s);
      p.drawText(
          QPointF(std::clamp(px(t) - w / 2.0, 0.0, width() - w), area.bottom() + 3 + fm.ascent()),
          s);
    }
    for (double t : yTicks) {
      const QString s = TickText(t, yStep);
      p.drawText(QPointF(area.left() - 5 - fm.horizontalAdvance(s), py(t) + fm.ascent() / 2.0 - 1),
                 s);
    }
    p.drawText(QRectF(area.left(), area.bottom() + 3 + fm.height(), area.width(), fm.height() + 2),
               Qt::AlignHCenter | Qt::AlignTop, "seconds of the Run");
    p.save();
    p.translate(2, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-area.height() / 2, 0, area.height(), fm.height()),
               Qt::AlignHCenter | Qt::AlignTop, "measured value");
    p.restore();
  }

  p.save();
  p.setClipRect(area);
  // The frames within the repainted part, one beyond each end so that band
  // and line reach its edges.
  const auto seconds = [&](double x) {
    return v.x.min + (x - area.left()) / area.width() * (v.x.max - v.x.min);
  };
  const TrendSeries::Span span = s.Within(std::max(v.x.min, seconds(dirty.left() - kMarkerReach)),
                                          std::min(v.x.max, seconds(dirty.right() + kMarkerReach)));
  const size_t first = span.first > 0 ? span.first - 1 : 0;
  const size_t end = std::min(span.end + 1, s.Size());
  // The band and the teach value of each frame up to the next frame, a run of
  // frames with the same band in one piece.
  for (size_t i = first; i < end;) {
    const TrendPoint& a = s.At(i);
    size_t j = i + 1;
    while (j < end && s.At(j).teach == a.teach && s.At(j).tolerance == a.tolerance) ++j;
    const double x0 = px(a.seconds);
    const double x1 = std::max(j < end ? px(s.At(j).seconds) : px(s.At(j - 1).seconds), x0 + 1.0);
    const double top = py(double(a.teach) + a.tolerance),
                 bottom = py(double(a.teach) - a.tolerance);
    p.fillRect(QRectF(QPointF(x0, top), QPointF(x1, bottom)), kBandFill);
    p.setPen(QPen(kBandEdge, 1.0));
    p.drawLine(QPointF(x0, top), QPointF(x1, top));
    p.drawLine(QPointF(x0, bottom), QPointF(x1, bottom));
    DrawTeachLine(p, x0, x1, py(a.teach), area.left());
    i = j;
  }
  QPolygonF line;
  line.reserve(static_cast<qsizetype>(end - first));
  for (size_t i = first; i < end; ++i) line << QPointF(px(s.At(i).seconds), py(s.At(i).value));
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kValue, 1.2));
  p.drawPolyline(line);
  p.setRenderHint(QPainter::Antialiasing, false);
  for (size_t i = first; i < end; ++i)
    if (!s.At(i).inside)
      p.fillRect(QRectF(line[qsizetype(i - first)] - QPointF(2, 2), QSizeF(5, 5)), kOutside);
  if (s.Size() == 0)
    p.drawText(area, Qt::AlignCenter, "No frames yet: Run shows the measured value here");
  zoom_.paintDrag(p);
  p.restore();

  p.setPen(
      QPen(hasFocus() ? palette().color(QPalette::Highlight) : kPlotFrame, hasFocus() ? 2.0 : 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(area.toAlignedRect().adjusted(-1, -1, 0, 0));
  ViewZoom::PaintMarks(p, area, frozen(), zoomed());
}

void TrendPlot::keyPressEvent(QKeyEvent* event) {
  if (!zoom_.keyPress(event)) QWidget::keyPressEvent(event);
}

// Only with the keyboard focus, as on the panel's graphs: elsewhere the wheel
// goes on to the window.
void TrendPlot::wheelEvent(QWheelEvent* event) {
  zoom_.wheel(event);
}

void TrendPlot::mousePressEvent(QMouseEvent* event) {
  if (!zoom_.mousePress(event)) QWidget::mousePressEvent(event);
}

void TrendPlot::mouseMoveEvent(QMouseEvent* event) {
  zoom_.mouseMove(event);
}

void TrendPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (!zoom_.mouseRelease(event)) QWidget::mouseReleaseEvent(event);
}

void TrendPlot::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!zoom_.mouseDoubleClick(event)) QWidget::mouseDoubleClickEvent(event);
}

}  // namespace watch
