// Display list and painting of the graph control.
#include "runtime/ui/graph/graph_widget.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPaintEvent>
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
  summaryTimer_.setSingleShot(true);
  connect(&summaryTimer_, &QTimer::timeout, this, [this] { tellSummary(); });
  // Every pixel is painted (the frame picture covers the whole widget), so
  // nothing behind the graph needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  // Tab and a click reach the graph, for zooming and the read-out marker.
  setFocusPolicy(Qt::StrongFocus);
}

// A frozen graph keeps its picture, and what it tells assistive technology,
// until it is released.
void GraphWidget::markDirty() {
  ++changes_;
  if (g_observer != nullptr) g_observer(this, GraphEvent::Changed);
  if (frozen_) return;
  AnnounceChange(this);
  summaryChanged();
  throttle_.request();
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
  if (laidFont_ != fontChanges_ || laidTexts_.size() > 256) {
    laidTexts_.clear();
    laidFont_ = fontChanges_;
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

void GraphWidget::paintEvent(QPaintEvent* event) {
  if (g_observer != nullptr) g_observer(this, GraphEvent::Painted);
  QPainter p(this);
  std::vector<QRect> parts;
  if (throttle_.paintsScreen(p)) {
    // What this paint leaves out of what changed is painted at the next
    // frame; everything else on screen is the picture now shown.
    parts = changedParts();
    QRegion changed;
    for (const QRect& part : parts) changed += part;
    const QRegion missing = changed - event->region();
    onScreen_ = nowShown();
    partsKnown_ = false;
    if (!missing.isEmpty()) throttle_.request(missing);
    // A paint for more than the changes (shown, uncovered, resized) is one.
    if (!(event->region() - changed).isEmpty()) parts.clear();
  }
  // The changed parts one by one, each under a plain rectangular clip: under
  // a clip of many rectangles Qt draws every line span by span, and hands
  // long runs of spans to worker threads.
  if (parts.empty()) parts.push_back(rect());
  for (const QRect& part : parts) {
    p.save();
    paintPart(p, part);
    p.restore();
  }
}

void GraphWidget::paintPart(QPainter& p, const QRect& part) {
  p.setClipRect(part);
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
                          active,    fontChanges_,        palette().cacheKey()};
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
  p.setClipRect(area & QRectF(part));
  if (!active) p.setOpacity(0.45);
  for (const GraphPlotInfo& plot : picture.plots) {
    if (plot.kind == GraphPlotKind::Rectangle) {
      const QRectF r = QRectF(QPointF(clampX(px(plot.x[0])), clampY(py(plot.y[0]))),
                              QPointF(clampX(px(plot.x[1])), clampY(py(plot.y[1]))))
                           .normalized();
      if (!r.adjusted(-2, -2, 2, 2).intersects(part)) continue;
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
  // label at the top.
  const std::vector<CursorMark> marks = cursorMarks(picture.cursors, area, xAxis, yAxis);
  for (size_t i = 0; i < marks.size(); ++i) {
    const CursorMark& m = marks[i];
    if (!m.shown) continue;
    const QRectF column(m.x - 6, area.top() - 1, 13, area.height() + 2);
    if (!column.intersects(part) && !m.label.adjusted(-1, -1, 1, 1).intersects(part)) continue;
    const GraphCursorState& c = picture.cursors[i];
    QColor lineColor = c.color;
    lineColor.setAlpha(190);
    // A vertical line on a whole pixel: smoothing a dashed line is slow and
    // shows nothing.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(lineColor, 1.0, Qt::DashLine));
    p.drawLine(QPoint(m.x, static_cast<int>(area.top())),
               QPoint(m.x, static_cast<int>(area.bottom())));
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF at = m.diamond.center();
    QPainterPath diamond;
    diamond.moveTo(at.x(), at.y() - 5);
    diamond.lineTo(at.x() + 5, at.y());
    diamond.lineTo(at.x(), at.y() + 5);
    diamond.lineTo(at.x() - 5, at.y());
    diamond.closeSubpath();
    p.setPen(QPen(kPlotBackground, 1.0));
    p.setBrush(c.color);
    p.drawPath(diamond);
    if (!c.label.isEmpty()) {
      const QStaticText& label = laid(c.label);
      const QSizeF labelSize = label.size();
      p.fillRect(m.label.toAlignedRect(), QColor(0, 0, 0, 150));
      p.setPen(c.color);
      p.drawStaticText(QPointF(m.label.left() + (m.label.width() - labelSize.width()) / 2.0,
                               m.label.top() + (m.label.height() - labelSize.height()) / 2.0),
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
  paintView(p, area.adjusted(-1, -1, 1, 1) & QRectF(part), area, xAxis, yAxis);
}

// Labels of cursors standing close together go one below the other instead
// of on top of each other.
std::vector<GraphWidget::CursorMark> GraphWidget::cursorMarks(
    const std::vector<GraphCursorState>& cursors, const QRectF& area, const GraphAxisState& xAxis,
    const GraphAxisState& yAxis) const {
  std::vector<CursorMark> marks(cursors.size());
  std::vector<QRectF> labelBoxes;
  const QFontMetrics fm(font());
  for (size_t i = 0; i < cursors.size(); ++i) {
    const GraphCursorState& c = cursors[i];
    const double x = area.left() + (c.x - xAxis.min) / (xAxis.max - xAxis.min) * area.width();
    if (x < area.left() - 0.5 || x > area.right() + 0.5) continue;
    const double y =
        std::clamp(area.bottom() - (c.y - yAxis.min) / (yAxis.max - yAxis.min) * area.height(),
                   area.top() + 4, area.bottom() - 4);
    CursorMark& m = marks[i];
    m.shown = true;
    m.x = static_cast<int>(std::lround(x));
    m.diamond = QRectF(x - 5, y - 5, 10, 10);
    if (c.label.isEmpty()) continue;
    const double w = std::ceil(laid(c.label).size().width()) + 6;
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
    m.label = box;
  }
  return marks;
}

GraphWidget::OnScreen GraphWidget::nowShown() const {
  return OnScreen{shown(),  shownAxis(0), shownAxis(1), size(),    isEnabled(),
                  frozen(), marker_,      readoutText_, readoutX_, readoutY_};
}

namespace {

bool SameAxis(const GraphAxisState& a, const GraphAxisState& b) {
  return a.min == b.min && a.max == b.max && a.label == b.label && a.ticks == b.ticks;
}

bool SamePlot(const GraphPlotInfo& a, const GraphPlotInfo& b) {
  return a.kind == b.kind && a.color == b.color && a.fillColor == b.fillColor &&
         a.plotStyle == b.plotStyle && a.pointStyle == b.pointStyle && a.lineStyle == b.lineStyle &&
         a.pointFrequency == b.pointFrequency && a.x == b.x && a.y == b.y;
}

bool SameCursor(const GraphCursorState& a, const GraphCursorState& b) {
  return a.x == b.x && a.y == b.y && a.color == b.color && a.label == b.label;
}

}  // namespace

// Compares the picture with the one on screen, plot by plot in drawing order
// and cursor by cursor: a plot that differs needs the pixels it covered and
// covers (for a rectangle that differs only in its extent, the strips between
// the two, with their outlines); a cursor that moved, its column, diamond and
// label before and after, and those of cursors whose label it pushed. Anything
// else that differs (size, axes, state, a viewing aid) needs the whole graph.
QRegion GraphWidget::changedRegion() const {
  QRegion region;
  for (const QRect& part : changedParts()) region += part;
  return region;
}

void GraphWidget::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) ++fontChanges_;
  QWidget::changeEvent(event);
}

// Neighbouring or overlapping parts are painted as one. Asked for when the
// paint is handed over and again when it is done, it is worked out once for
// both unless something changed in between.
std::vector<QRect> GraphWidget::changedParts() const {
  const PartsKey key{changes_, size(), isEnabled(), fontChanges_, onScreen_.has_value()};
  if (!partsKnown_ || !(partsKey_ == key)) {
    parts_ = findChangedParts();
    partsKey_ = key;
    partsKnown_ = true;
  }
  return parts_;
}

std::vector<QRect> GraphWidget::findChangedParts() const {
  std::vector<QRect> parts;
  const auto add = [&](QRect r) {
    if (r.isEmpty()) return;
    for (bool merged = true; merged;) {
      merged = false;
      for (auto it = parts.begin(); it != parts.end(); ++it) {
        if (it->adjusted(-4, -4, 4, 4).intersects(r)) {
          r |= *it;
          parts.erase(it);
          merged = true;
          break;
        }
      }
    }
    parts.push_back(r);
  };
  if (!onScreen_) return {rect()};
  const OnScreen& was = *onScreen_;
  const Picture& now = shown();
  if (was.size != size() || was.active != isEnabled() || was.frozen != frozen() ||
      was.marker != marker_ || was.readoutText != readoutText_ || was.readoutX != readoutX_ ||
      was.readoutY != readoutY_ || !SameAxis(was.x, shownAxis(0)) ||
      !SameAxis(was.y, shownAxis(1)) || was.picture.cursors.size() != now.cursors.size())
    return {rect()};
  const QRectF area = plotArea();
  const GraphAxisState& xAxis = was.x;
  const GraphAxisState& yAxis = was.y;
  const auto px = [&](double v) {
    return area.left() + (v - xAxis.min) / (xAxis.max - xAxis.min) * area.width();
  };
  const auto py = [&](double v) {
    return area.bottom() - (v - yAxis.min) / (yAxis.max - yAxis.min) * area.height();
  };
  const QRectF guard = area.adjusted(-4, -4, 4, 4);
  const auto at = [&](double x, double y) {
    return QPointF(std::clamp(px(x), guard.left(), guard.right()),
                   std::clamp(py(y), guard.top(), guard.bottom()));
  };
  // The pixels a plot covers, as paintEvent draws it (outline, pen and dots included).
  const auto cover = [&](const GraphPlotInfo& plot) {
    if (plot.kind == GraphPlotKind::Rectangle)
      return QRectF(at(plot.x[0], plot.y[0]), at(plot.x[1], plot.y[1]))
          .normalized()
          .toAlignedRect();
    QRectF box;
    const size_t n = std::min(plot.x.size(), plot.y.size());
    for (size_t i = 0; i < n; ++i) box |= QRectF(at(plot.x[i], plot.y[i]), QSizeF(0.001, 0.001));
    return box.toAlignedRect().adjusted(-3, -3, 3, 3);
  };
  const QRect inside = area.toAlignedRect().adjusted(-1, -1, 1, 1);
  const size_t plots = std::max(was.picture.plots.size(), now.plots.size());
  for (size_t i = 0; i < plots; ++i) {
    const GraphPlotInfo* a = i < was.picture.plots.size() ? &was.picture.plots[i] : nullptr;
    const GraphPlotInfo* b = i < now.plots.size() ? &now.plots[i] : nullptr;
    if (a != nullptr && b != nullptr && SamePlot(*a, *b)) continue;
    if (a != nullptr && b != nullptr && a->kind == GraphPlotKind::Rectangle &&
        b->kind == GraphPlotKind::Rectangle && a->color == b->color &&
        a->fillColor == b->fillColor) {
      // Only the edges that moved, each with the outline beside it.
      const QRect ra = cover(*a), rb = cover(*b);
      const auto edges = [&](int a0, int a1, int b0, int b1, bool vertical) {
        const auto strip = [&](int from, int to) {
          const QRect u = ra | rb;
          return vertical ? QRect(QPoint(from - 2, u.top() - 1), QPoint(to + 2, u.bottom() + 1))
                          : QRect(QPoint(u.left() - 1, from - 2), QPoint(u.right() + 1, to + 2));
        };
        if (a0 != b0) add(strip(std::min(a0, b0), std::max(a0, b0)) & inside);
        if (a1 != b1) add(strip(std::min(a1, b1), std::max(a1, b1)) & inside);
      };
      if (ra.top() == rb.top() && ra.bottom() == rb.bottom())
        edges(ra.left(), ra.right(), rb.left(), rb.right(), true);
      else if (ra.left() == rb.left() && ra.right() == rb.right())
        edges(ra.top(), ra.bottom(), rb.top(), rb.bottom(), false);
      else
        add((ra | rb).adjusted(-1, -1, 1, 1) & inside);
      continue;
    }
    if (a != nullptr) add(cover(*a).adjusted(-1, -1, 1, 1) & inside);
    if (b != nullptr) add(cover(*b).adjusted(-1, -1, 1, 1) & inside);
  }
  const std::vector<CursorMark> before = cursorMarks(was.picture.cursors, area, xAxis, yAxis);
  const std::vector<CursorMark> after = cursorMarks(now.cursors, area, xAxis, yAxis);
  // A cursor's column with its diamond and label, as one part.
  const auto mark = [&](const CursorMark& m) {
    if (!m.shown) return;
    QRect r(m.x - 1, static_cast<int>(area.top()) - 1, 3, static_cast<int>(area.height()) + 3);
    r |= m.diamond.toAlignedRect().adjusted(-2, -2, 2, 2);
    if (!m.label.isEmpty()) r |= m.label.toAlignedRect().adjusted(-1, -1, 1, 1);
    add(r & inside);
  };
  for (size_t i = 0; i < after.size(); ++i) {
    if (before[i] == after[i] && SameCursor(was.picture.cursors[i], now.cursors[i])) continue;
    mark(before[i]);
    mark(after[i]);
  }
  return parts;
}
