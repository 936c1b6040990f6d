#include "monitor/qt/line_table_view.h"

#include <algorithm>

#include "monitor/qt/line_table_model.h"

namespace {

// Keeps Qt's own repaints of the viewport away while it lives: the view lays
// itself out and scrolls as usual, its pixels are moved and painted by hand.
class Quiet {
 public:
  explicit Quiet(QWidget* viewport, bool on) : viewport_(viewport) {
    on_ = on && !viewport->testAttribute(Qt::WA_UpdatesDisabled);
    if (on_) viewport_->setAttribute(Qt::WA_UpdatesDisabled, true);
  }
  ~Quiet() {
    if (on_) viewport_->setAttribute(Qt::WA_UpdatesDisabled, false);
  }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  QWidget* viewport_;
  bool on_ = false;
};

}  // namespace

void LineTableView::doItemsLayout() {
  const Quiet quiet(viewport(), quiet_);
  QTableView::doItemsLayout();
}

void LineTableView::scrollContentsBy(int dx, int dy) {
  const Quiet quiet(viewport(), quiet_);
  QTableView::scrollContentsBy(dx, dy);
}

void LineTableView::FollowLine(const std::function<bool()>& follow, bool toNewest) {
  const auto* lines = qobject_cast<const LineTableModel*>(model());
  const int top = rowAt(0);
  if (lines == nullptr || top < 0) {
    if (follow() && toNewest) scrollToBottom();
    return;
  }
  // The first row shown and the first to come, counted as the log counts them.
  const uint64_t topBefore = lines->Sequence(top);
  const uint64_t cameFrom = lines->Sequence(lines->rowCount());
  quiet_ = true;
  const bool changed = follow();
  if (changed && toNewest && !lines->Rebuilt()) scrollToBottom();
  quiet_ = false;
  if (!changed) return;
  const int topAfter = rowAt(0);
  if (lines->Rebuilt() || topAfter < 0 || lines->Sequence(topAfter) < topBefore) {
    if (toNewest) scrollToBottom();
    viewport()->update();
    return;
  }
  // What stays on screen moves up by the rows that left it at the top; the
  // rows that came are painted where they now stand. They go to Qt at once,
  // not through a repaint throttle: a region waiting there would not move
  // with a scroll that Qt's own layout makes before it is painted.
  const int moved = static_cast<int>(lines->Sequence(topAfter) - topBefore) * rowHeight(topAfter);
  if (moved >= viewport()->height()) {
    viewport()->update();
    return;
  }
  if (moved > 0) viewport()->scroll(0, -moved);
  const uint64_t first = lines->Sequence(0);
  const int firstCome = cameFrom > first ? static_cast<int>(cameFrom - first) : 0;
  if (firstCome >= lines->rowCount()) return;
  const int y = std::max(0, rowViewportPosition(firstCome));
  if (y < viewport()->height())
    viewport()->update(QRect(0, y, viewport()->width(), viewport()->height() - y));
}
