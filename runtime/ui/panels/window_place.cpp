// Placing a window beside another on the screen.
#include "runtime/window_place.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

constexpr int kGap = 8;
// Room the window system takes around a window not yet shown (title bar and
// borders); a shown window tells its own.
constexpr int kFrameWidth = 16, kFrameHeight = 40;

QSize FrameOf(const QWidget* w) {
  if (w->isVisible()) {
    const QSize frame = w->frameGeometry().size() - w->geometry().size();
    if (frame.width() > 0 || frame.height() > 0) return frame;
  }
  return QSize(kFrameWidth, kFrameHeight);
}

}  // namespace

QRect PlaceBeside(QSize outer, int least, QRect other, QRect screen) {
  const int height = std::min(outer.height(), screen.height());
  const int top = std::clamp(other.top(), screen.top(), screen.bottom() + 1 - height);
  const int roomRight = screen.right() - other.right() - kGap;
  const int roomLeft = other.left() - screen.left() - kGap;
  int width = std::min(outer.width(), screen.width());
  int left = 0;
  if (roomRight >= width) {
    left = other.right() + 1 + kGap;
  } else if (roomLeft >= width) {
    left = other.left() - kGap - width;
  } else if (std::max(roomRight, roomLeft) >= least) {
    width = std::max(roomRight, roomLeft);
    left = roomRight >= roomLeft ? other.right() + 1 + kGap : screen.left();
  } else {
    left = std::clamp(other.left(), screen.left(), screen.right() + 1 - width);
  }
  return QRect(left, top, width, height);
}

void PlaceWindowBeside(QWidget* window, const QWidget* other) {
  if (window == nullptr || other == nullptr) return;
  const QScreen* screen = other->screen();
  const QRect available = screen != nullptr ? screen->availableGeometry() : other->frameGeometry();
  const QSize frame = FrameOf(window);
  const QSize size =
      window->isVisible() ? window->size() : window->size().expandedTo(window->minimumSize());
  const QRect outer = PlaceBeside(size + frame, window->minimumSizeHint().width() + frame.width(),
                                  other->frameGeometry(), available);
  window->resize(outer.size() - frame);
  window->move(outer.topLeft());
}
