// The repaint throttle and the engine's pass over the paints that are due.
#include "runtime/repaint_throttle.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/ui/repaint_pass.h"

namespace {

// Throttles whose paint is due now, in the order they became due.
std::vector<RepaintThrottle*>& Due() {
  static std::vector<RepaintThrottle*> due;
  return due;
}

// One zero timer hands the due paints over in an event loop that is not the
// engine's (a dialog's); the engine's rounds hand them over first and stop it.
QTimer* ZeroTimer() {
  static QPointer<QTimer> timer;
  if (timer.isNull()) {
    timer = new QTimer(QCoreApplication::instance());
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, [] { FlushDueRepaints(); });
  }
  return timer;
}

void Forget(RepaintThrottle* throttle) {
  std::vector<RepaintThrottle*>& due = Due();
  due.erase(std::remove(due.begin(), due.end(), throttle), due.end());
}

RepaintObserver g_observer = nullptr;

}  // namespace

RepaintObserver SetRepaintObserver(RepaintObserver observer) {
  const RepaintObserver before = g_observer;
  g_observer = observer;
  return before;
}

void FlushDueRepaints() {
  // A flush never makes another throttle due, but take the list first all the same.
  if (Due().empty()) return;
  ZeroTimer()->stop();
  const std::vector<RepaintThrottle*> due = Due();
  for (RepaintThrottle* throttle : due) throttle->flush();
}

int RepaintThrottle::FrameMs(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
  const double hz = screen != nullptr && screen->refreshRate() > 1.0 ? screen->refreshRate() : 60.0;
  return std::max(1, static_cast<int>(std::ceil(1000.0 / hz)));
}

RepaintThrottle::RepaintThrottle(QWidget* widget, ChangedFn changed)
    : QObject(widget), widget_(widget), changed_(std::move(changed)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { flush(); });
}

RepaintThrottle::~RepaintThrottle() {
  Forget(this);
}

void RepaintThrottle::request(const QRegion& region) {
  region_ += region;
  schedule();
}

void RepaintThrottle::request() {
  if (changed_)
    ask_ = true;
  else
    all_ = true;
  schedule();
}

void RepaintThrottle::requestAll() {
  all_ = true;
  schedule();
}

void RepaintThrottle::cancel() {
  timer_.stop();
  Forget(this);
  region_ = QRegion();
  ask_ = all_ = waiting_ = false;
}

// Due at once when the last hand-over is a refresh old, otherwise when it
// will be; changes meanwhile join the one that waits.
void RepaintThrottle::schedule() {
  if (waiting_) return;
  waiting_ = true;
  const int frame = FrameMs(widget_);
  const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : frame;
  if (since >= frame) {
    // Handed over by the engine's next round, or by this timer in any other
    // event loop: never here, in the middle of the change.
    if (Due().empty()) ZeroTimer()->start(0);
    Due().push_back(this);
  } else {
    timer_.start(static_cast<int>(frame - since));
  }
}

void RepaintThrottle::flush() {
  if (!waiting_) return;
  timer_.stop();
  Forget(this);
  waiting_ = false;
  QRegion region = all_ ? QRegion(widget_->rect()) : region_;
  if (!all_ && ask_) region += changed_();
  region_ = QRegion();
  ask_ = all_ = false;
  sinceFlush_.start();
  region &= widget_->rect();
  if (region.isEmpty()) return;
  if (g_observer != nullptr) g_observer(widget_, region);
  widget_->update(region);
}

bool RepaintThrottle::paintsScreen(const QPainter& painter) const {
  QBackingStore* store = widget_->backingStore();
  const QPaintEngine* engine = painter.paintEngine();
  return store != nullptr && engine != nullptr && engine->paintDevice() == store->paintDevice();
}
