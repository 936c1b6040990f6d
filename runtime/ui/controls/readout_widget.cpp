// The numeric read-out widget.
#include "runtime/ui/controls/readout_widget.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "runtime/ui/access/accessible_text.h"

namespace {
const QColor kDisplayBackground(0xf2, 0xf5, 0xf8);
constexpr int kTextMargin = 6;   // pixels between the text and the right edge
constexpr qint64 kFrameMs = 16;  // a screen frame at 60 Hz, rounded down
}  // namespace

ReadoutWidget::ReadoutWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  QFont f = font();
  f.setWeight(QFont::DemiBold);
  setFont(f);
  shown_.setTextFormat(Qt::PlainText);
  paintTimer_.setSingleShot(true);
  paintTimer_.setTimerType(Qt::PreciseTimer);
  connect(&paintTimer_, &QTimer::timeout, this, [this] { update(); });
}

void ReadoutWidget::setText(const QString& text) {
  if (text == text_) return;
  const QString before = text_;
  text_ = text;
  shown_.setText(text_);
  schedulePaint();
  AnnounceTextChange(this, before, text_);
}

void ReadoutWidget::schedulePaint() {
  if (paintTimer_.isActive()) return;  // the newest text goes with that paint
  const qint64 since = sinceLastPaint_.isValid() ? sinceLastPaint_.elapsed() : kFrameMs;
  if (since >= kFrameMs) {
    update();
  } else {
    paintTimer_.start(static_cast<int>(kFrameMs - since));
  }
}

QSize ReadoutWidget::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(QStringLiteral("00000.000")) + 2 * kTextMargin, fm.height() + 8};
}

QSize ReadoutWidget::minimumSizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(QStringLiteral("0000")) + 2 * kTextMargin, fm.height() + 4};
}

void ReadoutWidget::changeEvent(QEvent* event) {
  // A new font changes the layout of the text.
  if (event->type() == QEvent::FontChange) shown_.setText(text_);
  QWidget::changeEvent(event);
}

void ReadoutWidget::paintEvent(QPaintEvent*) {
  sinceLastPaint_.start();
  QPainter p(this);
  const QRect r = rect();
  // The border and the panel as two fills: far cheaper than a stroked outline.
  p.fillRect(r, palette().color(QPalette::Mid));
  p.fillRect(r.adjusted(1, 1, -1, -1), kDisplayBackground);
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  p.setFont(font());
  const QSizeF size = shown_.size();
  const QPointF at(r.right() - kTextMargin - size.width(), (r.height() - size.height()) / 2.0);
  p.drawStaticText(at, shown_);
}
