// The numeric read-out widget.
#include "runtime/readout_widget.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "runtime/accessible_text.h"

namespace {
const QColor kDisplayBackground(0xf2, 0xf5, 0xf8);
constexpr int kTextMargin = 6;  // pixels between the text and the right edge
}  // namespace

ReadoutWidget::ReadoutWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  QFont f = font();
  f.setWeight(QFont::DemiBold);
  setFont(f);
  shown_.setTextFormat(Qt::PlainText);
  shown_.setPerformanceHint(QStaticText::AggressiveCaching);
}

void ReadoutWidget::setText(const QString& text) {
  if (text == text_) return;
  const QString before = text_;
  text_ = text;
  shown_.setText(text_);
  update();
  AnnounceTextChange(this, before, text_);
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
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, kDisplayBackground);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  p.setFont(font());
  const QSizeF size = shown_.size();
  const QPointF at(r.right() - kTextMargin - size.width(), (r.height() - size.height()) / 2.0);
  p.drawStaticText(at, shown_);
}
