// The graph's viewing aids: freezing, zooming and the read-out under the
// pointer or the keyboard's marker. They change what the graph shows, never its
// display list or the program's axes; with none in use nothing here runs
// beyond a few tests while painting.
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "runtime/ui/access/accessible_text.h"
#include "runtime/ui/graph/graph_widget.h"

namespace {

constexpr double kMinSpanShare = 1e-4;  // the narrowest view, as a share of the axis
constexpr double kKeyZoom = 0.5;        // '+' halves the view, '-' doubles it
constexpr double kWheelZoom = 0.8;      // per wheel step (120 eighths of a degree)
constexpr int kMinDragPixels = 5;       // a smaller drag is a click, not a rectangle

QString Number(double v) {
  return QString::number(v, 'g', 6);
}

}  // namespace

void GraphWidget::setFrozen(bool frozen) {
  if (frozen == this->frozen()) return;
  if (frozen) {
    frozen_ = std::make_unique<Picture>(live_);
    // A paint still due for a change before the freeze would only repeat the
    // frozen picture; the frozen mark's paint below covers it.
    repaintTimer_.stop();
  } else {
    frozen_.reset();
    AnnounceChange(this);
    summaryChanged();
  }
  viewChanged();
}

GraphAxisState GraphWidget::shownAxis(int axis) const {
  GraphAxisState a = axis == 0 ? shown().x : shown().y;
  if (!zoom_) return a;
  // The view within the axes as they stand now: the program may have
  // narrowed them since.
  const Range& r = (*zoom_)[static_cast<size_t>(axis)];
  const double min = std::max(a.min, r.min), max = std::min(a.max, r.max);
  if (max > min) {
    a.min = min;
    a.max = max;
  }
  return a;
}

// Scales the view by `factor` around the axis values (x, y), which stay where
// they are on screen; an axis zoomed out to its whole range is no longer zoomed.
void GraphWidget::zoomAround(double factor, double x, double y) {
  const GraphAxisState xs = shownAxis(0), ys = shownAxis(1);
  zoomTo(Range{x - (x - xs.min) * factor, x + (xs.max - x) * factor},
         Range{y - (y - ys.min) * factor, y + (ys.max - y) * factor});
}

void GraphWidget::zoomTo(Range x, Range y) {
  std::array<Range, 2> view{x, y};
  bool whole = true;
  for (int i = 0; i < 2; ++i) {
    const GraphAxisState& a = i == 0 ? shown().x : shown().y;
    Range& r = view[static_cast<size_t>(i)];
    const double full = a.max - a.min;
    const double span = std::max(r.max - r.min, full * kMinSpanShare);
    if (span >= full) {
      r = Range{a.min, a.max};
      continue;
    }
    whole = false;
    // Keep the span, moved inside the axis.
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

void GraphWidget::resetZoom() {
  if (!zoom_) return;
  zoom_.reset();
  viewChanged();
}

void GraphWidget::setReadout(int panel, int graph, GraphReadoutFn fn, void* context) {
  readout_ = fn;
  readoutContext_ = context;
  panel_ = panel;
  graph_ = graph;
  // The pointer is followed only while there is a read-out to show.
  setMouseTracking(fn != nullptr);
  hideReadout();
}

// Everything the view shows changed: repaint at once (it follows the operator
// or a feature, not the program's changes) and tell it in words.
void GraphWidget::viewChanged() {
  const QString description = viewDescription();
  if (description != accessibleDescription()) setAccessibleDescription(description);
  requestPaint();
}

QString GraphWidget::viewDescription() const {
  if (!readoutText_.isEmpty()) return readoutText_;
  QStringList parts;
  if (frozen()) parts << "Frozen";
  if (zoomed()) {
    const GraphAxisState x = shownAxis(0), y = shownAxis(1);
    parts << QString("Zoomed to x %1 to %2, y %3 to %4; 0 returns to the full axes")
                 .arg(Number(x.min), Number(x.max), Number(y.min), Number(y.max));
  }
  return parts.join("; ");
}

// The axis values at a point of the widget; false outside the plot area.
bool GraphWidget::valueAt(QPointF pos, double* x, double* y) const {
  const GraphAxisState xs = shownAxis(0), ys = shownAxis(1);
  const QRectF area = plotArea();
  if (area.width() < 10 || area.height() < 10 || !area.contains(pos)) return false;
  *x = xs.min + (pos.x() - area.left()) / area.width() * (xs.max - xs.min);
  *y = ys.min + (area.bottom() - pos.y()) / area.height() * (ys.max - ys.min);
  return true;
}

void GraphWidget::showReadout(double x, double y, bool marker) {
  if (readout_ == nullptr) return;
  char text[256] = {};
  const bool ok = readout_(panel_, graph_, x, y, text, sizeof text, readoutContext_) == 0;
  text[sizeof text - 1] = '\0';
  readoutX_ = x;
  readoutY_ = y;
  marker_ = marker;
  readoutText_ = ok ? QString::fromUtf8(text) : QString();
  viewChanged();
}

void GraphWidget::hideReadout() {
  if (readoutText_.isEmpty() && !marker_) return;
  readoutText_.clear();
  marker_ = false;
  viewChanged();
}

void GraphWidget::keyPressEvent(QKeyEvent* event) {
  const GraphAxisState xs = shownAxis(0), ys = shownAxis(1);
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Minus:
      zoomAround(event->key() == Qt::Key_Plus ? kKeyZoom : 1.0 / kKeyZoom, (xs.min + xs.max) / 2.0,
                 (ys.min + ys.max) / 2.0);
      return;
    case Qt::Key_0:
    case Qt::Key_Home:
      resetZoom();
      return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
      if (readout_ == nullptr) break;
      // The marker starts in the middle of the view, else moves from where it is.
      double x = marker_ ? readoutX_ : std::round((xs.min + xs.max) / 2.0);
      double y = marker_ ? readoutY_ : (ys.min + ys.max) / 2.0;
      const double dx = shift ? 10.0 : 1.0;
      const double dy = (ys.max - ys.min) / (shift ? 10.0 : 100.0);
      if (marker_) {
        if (event->key() == Qt::Key_Left) x -= dx;
        if (event->key() == Qt::Key_Right) x += dx;
        if (event->key() == Qt::Key_Up) y += dy;
        if (event->key() == Qt::Key_Down) y -= dy;
      }
      const GraphAxisState& ax = shown().x;
      const GraphAxisState& ay = shown().y;
      showReadout(std::clamp(x, ax.min, ax.max), std::clamp(y, ay.min, ay.max), true);
      return;
    }
    case Qt::Key_Delete:
    case Qt::Key_Escape:  // reaches the graph only on a panel without an escape button
      if (!marker_) break;
      hideReadout();
      return;
    default:
      break;
  }
  QWidget::keyPressEvent(event);
}

// The wheel acts only on the graph with the keyboard focus, as on every
// control; elsewhere it goes on to the panel.
void GraphWidget::wheelEvent(QWheelEvent* event) {
  double x = 0, y = 0;
  const int steps = event->angleDelta().y();
  if (!hasFocus() || steps == 0 || !valueAt(event->position(), &x, &y)) {
    event->ignore();
    return;
  }
  zoomAround(std::pow(kWheelZoom, steps / 120.0), x, y);
}

void GraphWidget::mousePressEvent(QMouseEvent* event) {
  double x = 0, y = 0;
  if (event->button() != Qt::LeftButton || !valueAt(event->position(), &x, &y)) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragging_ = true;
  dragFrom_ = dragTo_ = event->position();
}

void GraphWidget::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    dragTo_ = event->position();
    update();
  }
  if (readout_ == nullptr || dragging_) return;
  double x = 0, y = 0;
  if (valueAt(event->position(), &x, &y))
    showReadout(x, y, false);
  else if (!marker_)
    hideReadout();
}

void GraphWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
  const QPointF to = event->position();
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  const QRectF area = plotArea();
  const QPointF end(std::clamp(to.x(), area.left(), area.right()),
                    std::clamp(to.y(), area.top(), area.bottom()));
  if (std::abs(end.x() - dragFrom_.x()) < kMinDragPixels ||
      std::abs(end.y() - dragFrom_.y()) < kMinDragPixels || !valueAt(dragFrom_, &x1, &y1) ||
      !valueAt(end, &x2, &y2)) {
    update();  // takes the rectangle away
    return;
  }
  zoomTo(Range{std::min(x1, x2), std::max(x1, x2)}, Range{std::min(y1, y2), std::max(y1, y2)});
}

void GraphWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseDoubleClickEvent(event);
    return;
  }
  dragging_ = false;
  resetZoom();
}

void GraphWidget::leaveEvent(QEvent* event) {
  if (!marker_) hideReadout();
  QWidget::leaveEvent(event);
}

void GraphWidget::focusOutEvent(QFocusEvent* event) {
  if (marker_) hideReadout();
  QWidget::focusOutEvent(event);
}

// Over the finished picture: the dragged rectangle, the read-out marker and
// label, and the frozen and zoomed marks in the lower right corner.
void GraphWidget::paintView(QPainter& p, const QRectF& area, const GraphAxisState& xAxis,
                            const GraphAxisState& yAxis) const {
  if (!dragging_ && readoutText_.isEmpty() && !marker_ && !frozen() && !zoomed()) return;
  const QFontMetrics fm(font());
  p.save();
  p.setClipRect(area.adjusted(-1, -1, 1, 1));
  p.setRenderHint(QPainter::Antialiasing, false);
  if (dragging_) {
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.0, Qt::DashLine));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRect(QRectF(dragFrom_, dragTo_).normalized());
  }
  const QPointF at(
      area.left() + (readoutX_ - xAxis.min) / (xAxis.max - xAxis.min) * area.width(),
      area.bottom() - (readoutY_ - yAxis.min) / (yAxis.max - yAxis.min) * area.height());
  if (marker_) {
    p.setPen(QPen(QColor(255, 255, 255, 220), 1.0));
    p.drawLine(QPointF(at.x(), area.top()), QPointF(at.x(), area.bottom()));
    p.drawLine(QPointF(at.x() - 6, at.y()), QPointF(at.x() + 6, at.y()));
  }
  if (!readoutText_.isEmpty()) {
    const double w = fm.horizontalAdvance(readoutText_) + 8, h = fm.height() + 4;
    // Beside the point, turned back inside the plot area near its edges.
    double lx = at.x() + 12, ly = at.y() - h - 6;
    if (lx + w > area.right()) lx = at.x() - 12 - w;
    if (ly < area.top()) ly = at.y() + 12;
    const QRectF box(std::max(lx, area.left()), std::min(ly, area.bottom() - h), w, h);
    p.fillRect(box, QColor(0, 0, 0, 200));
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, readoutText_);
  }
  QStringList marks;
  if (frozen()) marks << "FROZEN";
  if (zoomed()) marks << QString::fromUtf8("zoomed \u00b7 0: full axes");
  if (!marks.isEmpty()) {
    const QString text = marks.join(QString::fromUtf8(" \u00b7 "));
    const double w = fm.horizontalAdvance(text) + 10, h = fm.height() + 4;
    const QRectF box(area.right() - w - 3, area.bottom() - h - 3, w, h);
    p.fillRect(box, frozen() ? QColor(0xB0, 0x30, 0x30, 220) : QColor(0x20, 0x50, 0x90, 220));
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, text);
  }
  p.restore();
}
