// Zooming a plot by the operator: the keys, the wheel, the dragged rectangle.
#include "runtime/view_zoom.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kMinSpanShare = 1e-4;  // the narrowest view, as a share of the whole
constexpr double kKeyZoom = 0.5;        // '+' halves the view, '-' doubles it
constexpr double kWheelZoom = 0.8;      // per wheel step (120 eighths of a degree)
constexpr int kMinDragPixels = 5;       // a smaller drag is a click, not a rectangle

}  // namespace

PlotView ViewZoom::within(const PlotView& whole) const {
  if (!view_) return whole;
  PlotView shown = whole;
  for (int i = 0; i < 2; ++i) {
    ViewRange& a = i == 0 ? shown.x : shown.y;
    const ViewRange& r = i == 0 ? view_->x : view_->y;
    const double min = std::max(a.min, r.min), max = std::min(a.max, r.max);
    if (max > min) a = ViewRange{min, max};
  }
  return shown;
}

void ViewZoom::zoomAround(double factor, double x, double y) {
  const PlotView v = plot_.shownView();
  zoomTo(ViewRange{x - (x - v.x.min) * factor, x + (v.x.max - x) * factor},
         ViewRange{y - (y - v.y.min) * factor, y + (v.y.max - y) * factor});
}

void ViewZoom::zoomTo(ViewRange x, ViewRange y) {
  const PlotView whole = plot_.wholeView();
  PlotView view{x, y};
  bool all = true;
  for (int i = 0; i < 2; ++i) {
    const ViewRange& a = i == 0 ? whole.x : whole.y;
    ViewRange& r = i == 0 ? view.x : view.y;
    const double full = a.max - a.min;
    const double span = std::max(r.max - r.min, full * kMinSpanShare);
    if (span >= full) {
      r = a;
      continue;
    }
    all = false;
    // Keep the span, moved inside the whole.
    const double centre = (r.min + r.max) / 2.0;
    r.min = std::clamp(centre - span / 2.0, a.min, a.max - span);
    r.max = r.min + span;
  }
  if (all)
    view_.reset();
  else
    view_ = view;
  plot_.zoomChanged();
}

void ViewZoom::reset() {
  if (!view_) return;
  view_.reset();
  plot_.zoomChanged();
}

bool ViewZoom::valueAt(QPointF pos, double* x, double* y) const {
  const PlotView v = plot_.shownView();
  const QRectF area = plot_.zoomArea();
  if (area.width() < 10 || area.height() < 10 || !area.contains(pos)) return false;
  *x = v.x.min + (pos.x() - area.left()) / area.width() * (v.x.max - v.x.min);
  *y = v.y.min + (area.bottom() - pos.y()) / area.height() * (v.y.max - v.y.min);
  return true;
}

bool ViewZoom::keyPress(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Minus: {
      const PlotView v = plot_.shownView();
      zoomAround(event->key() == Qt::Key_Plus ? kKeyZoom : 1.0 / kKeyZoom,
                 (v.x.min + v.x.max) / 2.0, (v.y.min + v.y.max) / 2.0);
      return true;
    }
    case Qt::Key_0:
    case Qt::Key_Home:
      reset();
      return true;
    default:
      return false;
  }
}

// Only on the plot with the keyboard focus; elsewhere the wheel goes on to
// the window.
bool ViewZoom::wheel(QWheelEvent* event) {
  double x = 0, y = 0;
  const int steps = event->angleDelta().y();
  if (!widget_.hasFocus() || steps == 0 || !valueAt(event->position(), &x, &y)) {
    event->ignore();
    return false;
  }
  zoomAround(std::pow(kWheelZoom, steps / 120.0), x, y);
  return true;
}

bool ViewZoom::mousePress(QMouseEvent* event) {
  double x = 0, y = 0;
  if (event->button() != Qt::LeftButton || !valueAt(event->position(), &x, &y)) return false;
  dragging_ = true;
  dragFrom_ = dragTo_ = event->position();
  return true;
}

bool ViewZoom::mouseMove(QMouseEvent* event) {
  if (!dragging_) return false;
  dragTo_ = event->position();
  widget_.update();
  return true;
}

bool ViewZoom::mouseRelease(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return false;
  dragging_ = false;
  const QRectF area = plot_.zoomArea();
  const QPointF end(std::clamp(event->position().x(), area.left(), area.right()),
                    std::clamp(event->position().y(), area.top(), area.bottom()));
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (std::abs(end.x() - dragFrom_.x()) < kMinDragPixels ||
      std::abs(end.y() - dragFrom_.y()) < kMinDragPixels || !valueAt(dragFrom_, &x1, &y1) ||
      !valueAt(end, &x2, &y2)) {
    widget_.update();  // takes the rectangle away
    return true;
  }
  zoomTo(ViewRange{std::min(x1, x2), std::max(x1, x2)},
         ViewRange{std::min(y1, y2), std::max(y1, y2)});
  return true;
}

bool ViewZoom::mouseDoubleClick(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return false;
  dragging_ = false;
  reset();
  return true;
}

void ViewZoom::paintDrag(QPainter& p) const {
  if (!dragging_) return;
  p.setPen(QPen(QColor(255, 255, 255, 200), 1.0, Qt::DashLine));
  p.setBrush(QColor(255, 255, 255, 40));
  p.drawRect(QRectF(dragFrom_, dragTo_).normalized());
}

QString ViewZoom::Marks(bool frozen, bool zoomed) {
  QStringList parts;
  if (frozen) parts << "FROZEN";
  if (zoomed) parts << QString::fromUtf8("zoomed \u00b7 0: full axes");
  return parts.join(QString::fromUtf8(" \u00b7 "));
}

void ViewZoom::PaintMarks(QPainter& p, const QRectF& area, bool frozen, bool zoomed) {
  const QString text = Marks(frozen, zoomed);
  if (text.isEmpty()) return;
  const QFontMetrics fm = p.fontMetrics();
  const double w = fm.horizontalAdvance(text) + 10, h = fm.height() + 4;
  const QRectF box(area.right() - w - 3, area.bottom() - h - 3, w, h);
  p.fillRect(box, frozen ? QColor(0xB0, 0x30, 0x30, 220) : QColor(0x20, 0x50, 0x90, 220));
  p.setPen(Qt::white);
  p.drawText(box, Qt::AlignCenter, text);
}
