#include "watch/qt/trend_plot.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QWheelEvent>
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

constexpr double kMinSpanShare = 1e-4;  // the narrowest view, as a share of the automatic one
constexpr double kKeyZoom = 0.5;        // '+' halves the view, '-' doubles it
constexpr double kWheelZoom = 0.8;      // per wheel step (120 eighths of a degree)
constexpr int kMinDragPixels = 5;       // a smaller drag is a click, not a rectangle
constexpr double kMarkerReach = 4.0;    // pixels a frame's marker reaches beside it

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
  frameTimer_.setSingleShot(true);
  connect(&frameTimer_, &QTimer::timeout, this, [this] { flush(); });
}

int TrendPlot::frameMs() const {
  const QScreen* s = screen();
  const double hz = s != nullptr && s->refreshRate() > 1.0 ? s->refreshRate() : 60.0;
  return std::max(1, static_cast<int>(std::ceil(1000.0 / hz)));
}

void TrendPlot::seriesChanged() {
  if (frozen_) return;  // released, the newest is painted at once
  pending_ = true;
  if (frameTimer_.isActive()) return;  // painted when the screen's frame ends
  // A frame after a quiet screen frame is painted at once; one sooner waits
  // for the rest of that frame (no timer at all at a sensor's usual pace).
  const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : frameMs();
  if (since >= frameMs())
    flush();
  else
    frameTimer_.start(static_cast<int>(frameMs() - since));
}

// The first change after a quiet frame is painted at once; the ones that
// follow within a frame wait for its end, together.
void TrendPlot::flush() {
  if (!pending_ || !isVisible()) return;
  pending_ = false;
  update(changedRect());
  sinceFlush_.start();
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
  pending_ = false;  // the first paint shows everything
  QWidget::showEvent(event);
}

void TrendPlot::setFrozen(bool frozen) {
  if (frozen == this->frozen()) return;
  if (frozen) {
    frozen_ = std::make_unique<TrendSeries>(live_);
    pending_ = false;
    frameTimer_.stop();
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

// Scales the view by `factor` around (x, y), which stay where they are.
void TrendPlot::zoomAround(double factor, double x, double y) {
  const View v = shownView();
  zoomTo(Range{x - (x - v.x.min) * factor, x + (v.x.max - x) * factor},
         Range{y - (y - v.y.min) * factor, y + (v.y.max - y) * factor});
}

// Within the automatic view; zoomed out to all of it on both axes, the plot
// follows the Run again.
void TrendPlot::zoomTo(Range x, Range y) {
  const View full = automaticView();
  View view{x, y};
  bool whole = true;
  for (int i = 0; i < 2; ++i) {
    const Range& a = i == 0 ? full.x : full.y;
    Range& r = i == 0 ? view.x : view.y;
    const double whole_span = a.max - a.min;
    const double span = std::max(r.max - r.min, whole_span * kMinSpanShare);
    if (span >= whole_span) {
      r = a;
      continue;
    }
    whole = false;
    const double centre = (r.min + r.max) / 2.0;
    r.min = std::clamp(centre - span / 2.0, a.min, a.max - span);
    r.max = r.min + span;
  }
  if (whole)
    zoom_.reset();
  else
    zoom_ = view;
  viewChanged();
}

void TrendPlot::resetZoom() {
  if (!zoom_) return;
  zoom_.reset();
  viewChanged();
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

QString TrendPlot::marks() const {
  QStringList parts;
  if (frozen()) parts << "FROZEN";
  if (zoomed()) parts << QString::fromUtf8("zoomed \u00b7 0: full axes");
  return parts.join(QString::fromUtf8(" \u00b7 "));
}

// The view changed by the operator or Freeze: painted at once and said in words.
void TrendPlot::viewChanged() {
  const QString description = marks();
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

bool TrendPlot::valueAt(QPointF pos, double* x, double* y) const {
  const View v = shownView();
  const QRectF area = plotArea();
  if (area.width() < 10 || area.height() < 10 || !area.contains(pos)) return false;
  *x = v.x.min + (pos.x() - area.left()) / area.width() * (v.x.max - v.x.min);
  *y = v.y.min + (area.bottom() - pos.y()) / area.height() * (v.y.max - v.y.min);
  return true;
}

void TrendPlot::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRectF area = plotArea();
  if (area.width() < 10 || area.height() < 10) return;
  const View v = shownView();
  const TrendSeries& s = shown();
  painted_ = v;
  paintedFrames_ = s.Size();
  paintedNewest_ = s.Size() > 0 ? s.At(s.Size() - 1).seconds : 0.0;
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
  if (dragging_) {
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.0, Qt::DashLine));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRect(QRectF(dragFrom_, dragTo_).normalized());
  }
  p.restore();

  p.setPen(
      QPen(hasFocus() ? palette().color(QPalette::Highlight) : kPlotFrame, hasFocus() ? 2.0 : 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(area.toAlignedRect().adjusted(-1, -1, 0, 0));
  const QString text = marks();
  if (!text.isEmpty()) {
    const double w = fm.horizontalAdvance(text) + 10, h = fm.height() + 4;
    const QRectF box(area.right() - w - 3, area.bottom() - h - 3, w, h);
    p.fillRect(box, frozen() ? QColor(0xB0, 0x30, 0x30, 220) : QColor(0x20, 0x50, 0x90, 220));
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, text);
  }
}

void TrendPlot::keyPressEvent(QKeyEvent* event) {
  const View v = shownView();
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Minus:
      zoomAround(event->key() == Qt::Key_Plus ? kKeyZoom : 1.0 / kKeyZoom,
                 (v.x.min + v.x.max) / 2.0, (v.y.min + v.y.max) / 2.0);
      return;
    case Qt::Key_0:
    case Qt::Key_Home:
      resetZoom();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

// Only with the keyboard focus, as on the panel's graphs: elsewhere the wheel
// goes on to the window.
void TrendPlot::wheelEvent(QWheelEvent* event) {
  double x = 0, y = 0;
  const int steps = event->angleDelta().y();
  if (!hasFocus() || steps == 0 || !valueAt(event->position(), &x, &y)) {
    event->ignore();
    return;
  }
  zoomAround(std::pow(kWheelZoom, steps / 120.0), x, y);
}

void TrendPlot::mousePressEvent(QMouseEvent* event) {
  double x = 0, y = 0;
  if (event->button() != Qt::LeftButton || !valueAt(event->position(), &x, &y)) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragging_ = true;
  dragFrom_ = dragTo_ = event->position();
}

void TrendPlot::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  dragTo_ = event->position();
  update();
}

void TrendPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
  const QRectF area = plotArea();
  const QPointF end(std::clamp(event->position().x(), area.left(), area.right()),
                    std::clamp(event->position().y(), area.top(), area.bottom()));
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (std::abs(end.x() - dragFrom_.x()) < kMinDragPixels ||
      std::abs(end.y() - dragFrom_.y()) < kMinDragPixels || !valueAt(dragFrom_, &x1, &y1) ||
      !valueAt(end, &x2, &y2)) {
    update();  // takes the rectangle away
    return;
  }
  zoomTo(Range{std::min(x1, x2), std::max(x1, x2)}, Range{std::min(y1, y2), std::max(y1, y2)});
}

void TrendPlot::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseDoubleClickEvent(event);
    return;
  }
  dragging_ = false;
  resetZoom();
}

}  // namespace watch
