// Display list and painting of the graph control.
#include "runtime/ui/graph/graph_widget.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "runtime/ui/access/accessible_text.h"
#include "runtime/userint.h"

namespace {

// An instrument-style plot area: dark enough that the program's red bars,
// green bands, grey frame and dark green threshold line all stand out.
const QColor kPlotBackground(0x12, 0x19, 0x21);
const QColor kGrid(0x2c, 0x38, 0x45);
const QColor kPlotFrame(0x55, 0x62, 0x70);
constexpr qint64 kFrameNs = 1000000000 / 60;  // one frame at 60 Hz

GraphObserver g_observer = nullptr;

QColor Rgb(int rgb) {
  return QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFF));
}

// A round tick step (1, 2 or 5 times a power of ten) giving at most about
// `maxTicks` intervals over `range`.
double NiceStep(double range, int maxTicks) {
  maxTicks = std::max(1, maxTicks);
  const double raw = range / maxTicks;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double n = raw / magnitude;
  const double unit = n <= 1.0 ? 1.0 : n <= 2.0 ? 2.0 : n <= 2.5 ? 2.5 : n <= 5.0 ? 5.0 : 10.0;
  return unit * magnitude;
}

std::vector<double> Ticks(double min, double max, double step) {
  std::vector<double> ticks;
  const double first = std::ceil(min / step - 1e-9) * step;
  for (int i = 0; i < 200; ++i) {
    const double t = first + i * step;
    if (t > max + step * 1e-9) break;
    ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
  }
  return ticks;
}

QString TickText(double value, double step) {
  const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  return QString::number(value, 'f', std::min(decimals, 6));
}

}  // namespace

GraphObserver SetGraphObserver(GraphObserver observer) {
  const GraphObserver before = g_observer;
  g_observer = observer;
  return before;
}

GraphWidget::GraphWidget(const GraphAxisState& x, const GraphAxisState& y,
                         const std::vector<GraphCursorState>& cursors,
                         const std::vector<GraphLegendEntry>& legend, QWidget* parent)
    : QWidget(parent), live_{x, y, cursors, {}, {}}, legend_(legend) {
  for (GraphCursorState& c : live_.cursors) {
    c.x = live_.x.min;
    c.y = live_.y.min;
  }
  repaintTimer_.setSingleShot(true);
  repaintTimer_.setTimerType(Qt::PreciseTimer);
  connect(&repaintTimer_, &QTimer::timeout, this, [this] { requestPaint(); });
  summaryTimer_.setSingleShot(true);
  connect(&summaryTimer_, &QTimer::timeout, this, [this] { tellSummary(); });
  clock_.start();
  // Every pixel is painted (the frame picture covers the whole widget), so
  // nothing behind the graph needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  // Tab and a click reach the graph, for zooming and the read-out marker.
  setFocusPolicy(Qt::StrongFocus);
}

// A frozen graph keeps its picture, and what it tells assistive technology,
// until it is released.
void GraphWidget::markDirty() {
  if (g_observer != nullptr) g_observer(this, GraphEvent::Changed);
  if (frozen_) return;
  AnnounceChange(this);
  summaryChanged();
  schedulePaint();
}

// A change is painted at the next frame: at once when the last paint is a
// frame old, otherwise when it will be. So the graph is painted at most once a
// frame, and the newest change is on screen within one frame.
void GraphWidget::schedulePaint() {
  if (paintRequested_ || repaintTimer_.isActive()) return;
  const qint64 sinceLastPaint = clock_.nsecsElapsed() - lastPaintNs_;
  if (!painted_ || sinceLastPaint >= kFrameNs) {
    requestPaint();
  } else {
    repaintTimer_.start(static_cast<int>((kFrameNs - sinceLastPaint + 999999) / 1000000));
  }
}

void GraphWidget::requestPaint() {
  paintRequested_ = true;
  update();
}

int GraphWidget::addXY(std::vector<double> x, std::vector<double> y, int plotStyle, int pointStyle,
                       int lineStyle, int pointFrequency, int color) {
  GraphPlotInfo p;
  p.handle = nextHandle_++;
  p.kind = GraphPlotKind::XY;
  p.color = color & 0xFFFFFF;
  p.plotStyle = plotStyle;
  p.pointStyle = pointStyle;
  p.lineStyle = lineStyle;
  p.pointFrequency = pointFrequency;
  p.x = std::move(x);
  p.y = std::move(y);
  live_.plots.push_back(std::move(p));
  markDirty();
  return live_.plots.back().handle;
}

int GraphWidget::addRectangle(double x1, double y1, double x2, double y2, int color,
                              int fillColor) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
    return UIE_BAD_VALUE;
  GraphPlotInfo p;
  p.handle = nextHandle_++;
  p.kind = GraphPlotKind::Rectangle;
  p.color = color & 0xFFFFFF;
  p.fillColor = fillColor & 0xFFFFFF;
  p.x = {x1, x2};
  p.y = {y1, y2};
  live_.plots.push_back(std::move(p));
  markDirty();
  return live_.plots.back().handle;
}

int GraphWidget::deletePlot(int handle) {
  if (handle == UI_ALL_PLOTS) {
    if (g_observer != nullptr) g_observer(this, GraphEvent::AllPlotsDeleted);
    live_.plots.clear();
    live_.words.clear();  // they told of the plots just deleted
    markDirty();
    return 0;
  }
  for (auto it = live_.plots.begin(); it != live_.plots.end(); ++it) {
    if (it->handle == handle) {
      live_.plots.erase(it);
      markDirty();
      return 0;
    }
  }
  return UIE_BAD_VALUE;
}

int GraphWidget::setAxis(int axis, int mode, double min, double max) {
  if (axis != UI_AXIS_X && axis != UI_AXIS_LEFT_Y) return UIE_BAD_VALUE;
  if (mode != UI_SCALE_MANUAL) return UIE_BAD_VALUE;
  if (!std::isfinite(min) || !std::isfinite(max) || max <= min) return UIE_BAD_VALUE;
  GraphAxisState& a = axis == UI_AXIS_X ? live_.x : live_.y;
  a.mode = mode;
  a.min = min;
  a.max = max;
  markDirty();
  return 0;
}

int GraphWidget::setCursor(int cursor, double x, double y) {
  if (cursor < 1 || cursor > cursorCount()) return UIE_BAD_VALUE;
  if (!std::isfinite(x) || !std::isfinite(y)) return UIE_BAD_VALUE;
  live_.cursors[cursor - 1].x = x;
  live_.cursors[cursor - 1].y = y;
  markDirty();
  return 0;
}

const QStaticText& GraphWidget::laid(const QString& text) const {
  const QString fontKey = font().key();
  if (fontKey != laidFont_ || laidTexts_.size() > 256) {
    laidTexts_.clear();
    laidFont_ = fontKey;
  }
  auto found = laidTexts_.constFind(text);
  if (found != laidTexts_.cend()) return *found;
  QStaticText laidText(text);
  laidText.setTextFormat(Qt::PlainText);
  laidText.prepare(QTransform(), font());
  return *laidTexts_.insert(text, laidText);
}

// Laid out for the picture's own axes, so that zooming leaves it in place.
QRectF GraphWidget::plotArea() const {
  const GraphAxisState& y = shown().y;
  const QFontMetrics fm(font());
  double left = 6.0;
  if (y.ticks) {
    const double step = NiceStep(y.max - y.min, 6);
    const int wMin = static_cast<int>(std::ceil(laid(TickText(y.min, step)).size().width()));
    const int wMax = static_cast<int>(std::ceil(laid(TickText(y.max, step)).size().width()));
    left = std::max(wMin, wMax) + 8.0;
  }
  if (!y.label.isEmpty()) left += fm.height() + 2.0;
  const double bottom = fm.height() + 4.0 + (shown().x.label.isEmpty() ? 0.0 : fm.height()) + 2.0;
  return QRectF(left, 6.0, width() - left - 10.0, height() - 6.0 - bottom);
}

void GraphWidget::paintFrame(QPainter& p, const QRectF& area, const GraphAxisState& xAxis,
                             const GraphAxisState& yAxis) const {
  p.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics fm(font());
  const bool active = isEnabled();
  const QColor textColor =
      palette().color(active ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
  const auto px = [&](double v) {
    return area.left() + (v - xAxis.min) / (xAxis.max - xAxis.min) * area.width();
  };
  const auto py = [&](double v) {
    return area.bottom() - (v - yAxis.min) / (yAxis.max - yAxis.min) * area.height();
  };
  p.fillRect(area, active ? kPlotBackground : kPlotBackground.lighter(170));

  // Grid and tick labels.
  const double xStep = NiceStep(xAxis.max - xAxis.min, std::max(2, int(area.width() / 70)));
  const double yStep = NiceStep(yAxis.max - yAxis.min, std::max(2, int(area.height() / 32)));
  p.setPen(QPen(kGrid, 1.0));
  for (double t : Ticks(xAxis.min, xAxis.max, xStep)) {
    const double x = std::round(px(t)) + 0.5;
    p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
  }
  for (double t : Ticks(yAxis.min, yAxis.max, yStep)) {
    const double y = std::round(py(t)) + 0.5;
    p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
  }
  p.setPen(textColor);
  for (double t : Ticks(xAxis.min, xAxis.max, xStep)) {
    const QString s = TickText(t, xStep);
    const double w = fm.horizontalAdvance(s);
    const double x = std::clamp(px(t) - w / 2.0, 0.0, width() - w);
    p.drawText(QPointF(x, area.bottom() + 3 + fm.ascent()), s);
  }
  if (yAxis.ticks) {
    for (double t : Ticks(yAxis.min, yAxis.max, yStep)) {
      const QString s = TickText(t, yStep);
      const double w = fm.horizontalAdvance(s);
      const double y =
          std::clamp(py(t) + fm.ascent() / 2.0 - 1, double(fm.ascent()), double(height()));
      p.drawText(QPointF(area.left() - 5 - w, y), s);
    }
  }
  if (!xAxis.label.isEmpty()) {
    p.drawText(QRectF(area.left(), area.bottom() + 3 + fm.height(), area.width(), fm.height() + 2),
               Qt::AlignHCenter | Qt::AlignTop, xAxis.label);
  }
  if (!yAxis.label.isEmpty()) {
    p.save();
    p.translate(2, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-area.height() / 2, 0, area.height(), fm.height()),
               Qt::AlignHCenter | Qt::AlignTop, yAxis.label);
    p.restore();
  }
}

void GraphWidget::paintEvent(QPaintEvent*) {
  if (g_observer != nullptr) g_observer(this, GraphEvent::Painted);
  painted_ = true;
  paintRequested_ = false;
  lastPaintNs_ = clock_.nsecsElapsed();
  QPainter p(this);
  const Picture& picture = shown();
  const GraphAxisState xAxis = shownAxis(0), yAxis = shownAxis(1);
  const QRectF area = plotArea();
  if (area.width() < 10 || area.height() < 10) return;
  const bool active = isEnabled();
  // The frame of the graph (background, grid, ticks, labels) changes only with
  // the size, the axes and the state: it is drawn once into a picture and
  // copied, so a new frame of plots costs the plots alone.
  const BackgroundKey key{size(),    devicePixelRatioF(), xAxis.min,
                          xAxis.max, yAxis.min,           yAxis.max,
                          active,    font().key(),        palette().cacheKey()};
  if (!(key == backgroundKey_) || background_.isNull()) {
    background_ = QPixmap(size() * devicePixelRatioF());
    background_.setDevicePixelRatio(devicePixelRatioF());
    background_.fill(palette().color(QPalette::Window));
    QPainter bp(&background_);
    paintFrame(bp, area, xAxis, yAxis);
    backgroundKey_ = key;
  }
  p.drawPixmap(0, 0, background_);
  p.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics fm(font());

  const auto px = [&](double v) {
    return area.left() + (v - xAxis.min) / (xAxis.max - xAxis.min) * area.width();
  };
  const auto py = [&](double v) {
    return area.bottom() - (v - yAxis.min) / (yAxis.max - yAxis.min) * area.height();
  };
  // Keeps far-off coordinates (a bar to pixel 65535 on a 256-pixel window)
  // within a sane range before they reach the painter.
  const QRectF guard = area.adjusted(-4, -4, 4, 4);
  const auto clampX = [&](double v) { return std::clamp(v, guard.left(), guard.right()); };
  const auto clampY = [&](double v) { return std::clamp(v, guard.top(), guard.bottom()); };

  // Plots, in drawing order, clipped to the axes.
  p.save();
  p.setClipRect(area);
  if (!active) p.setOpacity(0.45);
  for (const GraphPlotInfo& plot : picture.plots) {
    if (plot.kind == GraphPlotKind::Rectangle) {
      const QRectF r = QRectF(QPointF(clampX(px(plot.x[0])), clampY(py(plot.y[0]))),
                              QPointF(clampX(px(plot.x[1])), clampY(py(plot.y[1]))))
                           .normalized();
      // Axis-parallel: drawn on whole pixels, where smoothing only costs.
      p.setRenderHint(QPainter::Antialiasing, false);
      p.setPen(QPen(Rgb(plot.color), 1.0));
      p.setBrush(Rgb(plot.fillColor));
      p.drawRect(r.toAlignedRect().adjusted(0, 0, -1, -1));
      p.setRenderHint(QPainter::Antialiasing, true);
      continue;
    }
    const size_t n = std::min(plot.x.size(), plot.y.size());
    if (n == 0) continue;
    QPolygonF line;
    line.reserve(static_cast<int>(n));
    for (size_t i = 0; i < n; ++i) line << QPointF(clampX(px(plot.x[i])), clampY(py(plot.y[i])));
    const QColor c = Rgb(plot.color);
    QPen pen(c, 1.6);
    pen.setStyle(plot.lineStyle == 0 ? Qt::SolidLine : Qt::DashLine);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (n > 1 && plot.plotStyle != 0)
      p.drawPolyline(line);
    else
      p.drawPoints(line);
    if (plot.pointStyle != 0) {
      // Small square dots: hundreds of smoothed circles per frame cost far more
      // than they show.
      const int every = std::max(1, plot.pointFrequency);
      for (int i = 0; i < line.size(); i += every)
        p.fillRect(QRectF(line[i].x() - 1.5, line[i].y() - 1.5, 3.0, 3.0), c);
    }
  }

  // Cursors: a line across the plot, a marker at the cursor's height and its
  // label at the top. Labels of cursors standing close together go one below
  // the other instead of on top of each other.
  std::vector<QRectF> labelBoxes;
  for (const GraphCursorState& c : picture.cursors) {
    const double x = px(c.x);
    if (x < area.left() - 0.5 || x > area.right() + 0.5) continue;
    const double y = std::clamp(py(c.y), area.top() + 4, area.bottom() - 4);
    QColor lineColor = c.color;
    lineColor.setAlpha(190);
    // A vertical line on a whole pixel: smoothing a dashed line is slow and
    // shows nothing.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(lineColor, 1.0, Qt::DashLine));
    const int xi = static_cast<int>(std::lround(x));
    p.drawLine(QPoint(xi, static_cast<int>(area.top())),
               QPoint(xi, static_cast<int>(area.bottom())));
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath diamond;
    diamond.moveTo(x, y - 5);
    diamond.lineTo(x + 5, y);
    diamond.lineTo(x, y + 5);
    diamond.lineTo(x - 5, y);
    diamond.closeSubpath();
    p.setPen(QPen(kPlotBackground, 1.0));
    p.setBrush(c.color);
    p.drawPath(diamond);
    if (!c.label.isEmpty()) {
      const QStaticText& label = laid(c.label);
      const QSizeF labelSize = label.size();
      const double w = std::ceil(labelSize.width()) + 6;
      const double lx = std::min(x + 3, area.right() - w - 1);
      QRectF box(lx, area.top() + 2, w, fm.height());
      for (bool moved = true; moved;) {
        moved = false;
        for (const QRectF& other : labelBoxes) {
          if (box.intersects(other)) {
            box.moveTop(other.bottom() + 1);
            moved = true;
          }
        }
      }
      labelBoxes.push_back(box);
      p.fillRect(box.toAlignedRect(), QColor(0, 0, 0, 150));
      p.setPen(c.color);
      p.drawStaticText(QPointF(box.left() + (box.width() - labelSize.width()) / 2.0,
                               box.top() + (box.height() - labelSize.height()) / 2.0),
                       label);
    }
  }
  p.restore();

  // The frame round the plot area, on whole pixels: smoothing a long outline
  // costs more than all the plots together.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(kPlotFrame, 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(area.toAlignedRect().adjusted(-1, -1, 0, 0));
  paintView(p, area, xAxis, yAxis);
}
