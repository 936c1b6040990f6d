// Laying a panel out for the size of its window.
#include "runtime/ui/panels/panel_layout.h"

#include <QChildEvent>
#include <QEvent>
#include <algorithm>
#include <climits>
#include <cmath>

#include "runtime/ui/controls/control.h"

namespace {

int Share(double share, int room) {
  return static_cast<int>(std::lround(share * room));
}

// Distance between two spans of one axis; 0 when they overlap.
int Gap(int from1, int to1, int from2, int to2) {
  return std::max({0, from2 - to1, from1 - to2});
}

}  // namespace

PanelLayout::PanelLayout(QWidget* canvas, QSize panelSize, std::function<void()> laidOut)
    : QObject(canvas), canvas_(canvas), panelSize_(panelSize), laidOut_(std::move(laidOut)) {
  canvas_->installEventFilter(this);
}

void PanelLayout::addItem(QWidget* widget, const ResizeSpec& resize) {
  Item item;
  item.widget = widget;
  item.base = widget->geometry();
  item.onCanvas = QRect(widget->mapTo(canvas_, QPoint(0, 0)), widget->size());
  item.resize = resize;
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].widget == widget->parentWidget()) item.container = static_cast<int>(i);
  items_.push_back(item);
  // It may have been taken for a widget placed by others while it was built.
  placed_.erase(std::remove_if(placed_.begin(), placed_.end(),
                               [widget](const Placed& p) { return p.widget == widget; }),
                placed_.end());
}

bool PanelLayout::followsWindow() const {
  return std::any_of(items_.begin(), items_.end(), [](const Item& i) { return i.resize.any(); });
}

void PanelLayout::setGeometryQuietly(QWidget* w, const QRect& r) {
  if (w->geometry() == r) return;
  const bool before = applying_;
  applying_ = true;
  w->setGeometry(r);
  applying_ = before;
}

void PanelLayout::apply() {
  const int roomX = canvas_->width() - panelSize_.width();
  const int roomY = canvas_->height() - panelSize_.height();
  for (Item& item : items_) {
    int cx = roomX, cy = roomY, cLeft = 0, cTop = 0;
    if (item.container >= 0) {
      const Item& frame = items_[static_cast<size_t>(item.container)];
      cx = frame.dRight - frame.dLeft;
      cy = frame.dBottom - frame.dTop;
      cLeft = frame.dLeft;
      cTop = frame.dTop;
    }
    const ResizeShares& sx = cx >= 0 ? item.resize.larger : item.resize.smaller;
    const ResizeShares& sy = cy >= 0 ? item.resize.larger : item.resize.smaller;
    const int mx = Share(sx.moveX, cx), gx = Share(sx.growX, cx);
    const int my = Share(sy.moveY, cy), gy = Share(sy.growY, cy);
    item.dLeft = cLeft + mx;
    item.dRight = cLeft + mx + gx;
    item.dTop = cTop + my;
    item.dBottom = cTop + my + gy;
    if (!item.resize.any() || item.widget.isNull()) continue;
    QRect r = item.base.adjusted(mx, my, mx + gx, my + gy);
    r.setWidth(std::max(1, r.width()));
    r.setHeight(std::max(1, r.height()));
    setGeometryQuietly(item.widget, r);
  }
  for (Placed& p : placed_)
    if (!p.widget.isNull()) placeFollower(p);
  if (laidOut_) laidOut_();
}

bool PanelLayout::isEngineWidget(const QWidget* w) const {
  if (qobject_cast<const ControlBox*>(w) != nullptr || w->objectName() == "focusRing") return true;
  return std::any_of(items_.begin(), items_.end(), [w](const Item& i) { return i.widget == w; });
}

// On its row first: a button beside a control belongs with that control, not
// with the wider one just above it.
int PanelLayout::nearestItem(const QRect& r) const {
  int best = -1;
  long bestScore = LONG_MAX;
  const QPoint c = r.center();
  for (size_t i = 0; i < items_.size(); ++i) {
    const QRect& o = items_[i].onCanvas;
    const bool sameRow = Gap(r.top(), r.bottom(), o.top(), o.bottom()) == 0;
    const long dx = Gap(c.x(), c.x(), o.left(), o.right());
    const long dy = Gap(c.y(), c.y(), o.top(), o.bottom());
    // Rows come first; within them the horizontal gap, elsewhere the distance;
    // ties go to the smaller item, the one inside the other.
    const long score = (sameRow ? 0 : 1L << 40) + (sameRow ? dx * dx : dx * dx + dy * dy);
    const bool better =
        score < bestScore ||
        (score == bestScore && best >= 0 &&
         o.width() * o.height() < items_[static_cast<size_t>(best)].onCanvas.width() *
                                      items_[static_cast<size_t>(best)].onCanvas.height());
    if (better) {
      best = static_cast<int>(i);
      bestScore = score;
    }
  }
  return best;
}

void PanelLayout::placeFollower(Placed& p) {
  if (p.follows < 0) return;
  const Item& item = items_[static_cast<size_t>(p.follows)];
  const QPoint c = p.base.center(), m = item.onCanvas.center();
  const int dx = c.x() > m.x() ? item.dRight : item.dLeft;
  const int dy = c.y() > m.y() ? item.dBottom : item.dTop;
  p.laid = p.base.translated(dx, dy);
  setGeometryQuietly(p.widget, p.laid);
}

bool PanelLayout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == canvas_) {
    if (event->type() == QEvent::Resize) apply();
    // Every child is watched from its arrival; what it is shows once it is
    // built, when it first moves or is shown.
    if (event->type() == QEvent::ChildAdded)
      if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
        child->installEventFilter(this);
    return false;
  }
  const QEvent::Type type = event->type();
  if (applying_ || (type != QEvent::Move && type != QEvent::Resize) || !watched->isWidgetType())
    return false;
  auto* w = static_cast<QWidget*>(watched);
  if (w->parentWidget() != canvas_ || isEngineWidget(w)) return false;
  auto it =
      std::find_if(placed_.begin(), placed_.end(), [w](const Placed& p) { return p.widget == w; });
  if (it == placed_.end()) {
    placed_.push_back(Placed{w, QRect(), QRect(), -1});
    it = placed_.end() - 1;
  } else if (w->geometry() == it->laid) {
    return false;  // the layout's own move, told late (the widget was hidden)
  }
  // It placed itself: that is its place on a panel of the panel's size.
  it->base = w->geometry();
  it->follows = nearestItem(it->base);
  placeFollower(*it);
  return false;
}
