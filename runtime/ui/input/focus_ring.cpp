// The focus ring follows the application's focus changes.
#include "runtime/ui/input/focus_ring.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

#include "runtime/ui/panels/panel_window.h"

namespace {
constexpr int kGap = 1;  // between the control and the ring
}

FocusRing::FocusRing(PanelWindow* panel) : QWidget(panel->canvas()), panel_(panel) {
  setObjectName("focusRing");
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  hide();
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { follow(now); });
}

void FocusRing::follow(QWidget* focus) {
  if (target_ != nullptr) target_->removeEventFilter(this);
  target_ = nullptr;
  if (focus != nullptr && focus->window() == panel_ && panel_->canvas()->isAncestorOf(focus)) {
    // A spin box's line edit has the focus; the ring goes around the spin box.
    QWidget* around = focus;
    if (focus->focusProxy() == nullptr && focus->parentWidget() != nullptr &&
        focus->parentWidget()->focusProxy() == focus)
      around = focus->parentWidget();
    target_ = around;
    target_->installEventFilter(this);
  }
  place();
}

void FocusRing::place() {
  if (target_ == nullptr || !target_->isVisible() || !target_->isEnabled()) {
    hide();
    return;
  }
  const int margin = kWidth + kGap;
  const QPoint at = target_->mapTo(panel_->canvas(), QPoint(0, 0));
  setGeometry(QRect(at, target_->size()).adjusted(-margin, -margin, margin, margin));
  raise();
  show();
  update();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
  if (watched == target_) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::EnabledChange:
        place();
        break;
      default:
        break;
    }
  }
  return false;
}

void FocusRing::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(palette().color(QPalette::Active, QPalette::Highlight), kWidth);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const qreal half = kWidth / 2.0;
  p.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), 3.0, 3.0);
}
