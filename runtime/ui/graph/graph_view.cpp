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
    throttle_.cancel();
  } else {
    frozen_.reset();
    ++changes_;
    AnnounceChange(this);
    summaryChanged();
  }
  viewChanged();
}

PlotView GraphWidget::wholeView() const {
  return PlotView{{shown().x.min, shown().x.max}, {shown().y.min, shown().y.max}};
}

PlotView GraphWidget::shownView() const {
  return zoom_.within(wholeView());
}

// The view within the axes as they stand now: the program may have narrowed
// them since.
GraphAxisState GraphWidget::shownAxis(int axis) const {
  GraphAxisState a = axis == 0 ? shown().x : shown().y;
  if (!zoom_.zoomed()) return a;
  const PlotView v = shownView();
  const ViewRange& r = axis == 0 ? v.x : v.y;
  a.min = r.min;
  a.max = r.max;
  return a;
}

void GraphWidget::resetZoom() {
  zoom_.reset();
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
  ++changes_;
  const QString description = viewDescription();
  if (description != accessibleDescription()) setAccessibleDescription(description);
  update();
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
  if (zoom_.keyPress(event)) return;
  const GraphAxisState xs = shownAxis(0), ys = shownAxis(1);
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  switch (event->key()) {
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
  zoom_.wheel(event);
}

void GraphWidget::mousePressEvent(QMouseEvent* event) {
  if (!zoom_.mousePress(event)) QWidget::mousePressEvent(event);
}

void GraphWidget::mouseMoveEvent(QMouseEvent* event) {
  if (zoom_.mouseMove(event) || readout_ == nullptr) return;
  double x = 0, y = 0;
  if (zoom_.valueAt(event->position(), &x, &y))
    showReadout(x, y, false);
  else if (!marker_)
    hideReadout();
}

void GraphWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!zoom_.mouseRelease(event)) QWidget::mouseReleaseEvent(event);
}

void GraphWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!zoom_.mouseDoubleClick(event)) QWidget::mouseDoubleClickEvent(event);
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
void GraphWidget::paintView(QPainter& p, const QRectF& clip, const QRectF& area,
                            const GraphAxisState& xAxis, const GraphAxisState& yAxis) const {
  if (!zoom_.dragging() && readoutText_.isEmpty() && !marker_ && !frozen() && !zoomed()) return;
  const QFontMetrics fm(font());
  p.save();
  p.setClipRect(clip);
  p.setRenderHint(QPainter::Antialiasing, false);
  zoom_.paintDrag(p);
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
  ViewZoom::PaintMarks(p, area, frozen(), zoomed());
  p.restore();
}
