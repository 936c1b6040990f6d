// The numeric read-out widget.
#include "runtime/ui/controls/readout_widget.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

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
  layOut();
  schedulePaint();
  AnnounceTextChange(this, before, text_);
}

void ReadoutWidget::layOut() {
  glyphs_ = QGlyphRun();
  glyphsWidth_ = 0;
  const bool figures = std::all_of(text_.cbegin(), text_.cend(), [](QChar c) {
    return c.isDigit() || c == u'.' || c == u'-' || c == u'+' || c == u' ';
  });
  if (figures && !text_.isEmpty()) {
    if (!raw_.isValid()) raw_ = QRawFont::fromFont(font());
    const QList<quint32> indexes = raw_.glyphIndexesForString(text_);
    if (raw_.isValid() && indexes.size() == text_.size() && !indexes.contains(0u)) {
      const QList<QPointF> advances = raw_.advancesForGlyphIndexes(indexes);
      QList<QPointF> positions;
      positions.reserve(indexes.size());
      for (const QPointF& advance : advances) {
        positions.append(QPointF(glyphsWidth_, raw_.ascent()));
        glyphsWidth_ += advance.x();
      }
      glyphs_.setRawFont(raw_);
      glyphs_.setGlyphIndexes(indexes);
      glyphs_.setPositions(positions);
      return;
    }
  }
  shown_.setText(text_);
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
  if (event->type() == QEvent::FontChange) {
    raw_ = QRawFont();
    layOut();
  }
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
  if (!glyphs_.isEmpty()) {
    const qreal height = raw_.ascent() + raw_.descent();
    p.drawGlyphRun(QPointF(r.right() - kTextMargin - glyphsWidth_, (r.height() - height) / 2.0),
                   glyphs_);
    return;
  }
  p.setFont(font());
  const QSizeF size = shown_.size();
  const QPointF at(r.right() - kTextMargin - size.width(), (r.height() - size.height()) / 2.0);
  p.drawStaticText(at, shown_);
}
