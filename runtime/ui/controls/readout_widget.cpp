// The numeric read-out widget.
#include "runtime/ui/controls/readout_widget.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QtMath>
#include <algorithm>

#include "runtime/ui/access/accessible_text.h"

namespace {
const QColor kDisplayBackground(0xf2, 0xf5, 0xf8);
constexpr int kTextMargin = 6;   // pixels between the text and the right edge
constexpr qint64 kFrameMs = 16;  // a screen frame at 60 Hz, rounded down
constexpr int kUnitGap = 4;      // pixels between the number and its unit
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
  const QString before = this->text();
  text_ = text;
  layOut();
  schedulePaint();
  AnnounceTextChange(this, before, this->text());
}

void ReadoutWidget::setUnit(const QString& unit) {
  if (unit == unit_) return;
  const QString before = text();
  unit_ = unit;
  unitShown_.setTextFormat(Qt::PlainText);
  unitShown_.setText(unit_);
  unitShown_.prepare(QTransform(), font());
  updateGeometry();
  schedulePaint();
  AnnounceTextChange(this, before, text());
}

int ReadoutWidget::unitWidth() const {
  if (unit_.isEmpty()) return 0;
  return qCeil(unitShown_.size().width()) + kUnitGap;
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
  return {fm.horizontalAdvance(QStringLiteral("00000.000")) + 2 * kTextMargin + unitWidth(),
          fm.height() + 8};
}

QSize ReadoutWidget::minimumSizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(QStringLiteral("0000")) + 2 * kTextMargin + unitWidth(),
          fm.height() + 4};
}

void ReadoutWidget::changeEvent(QEvent* event) {
  // A new font changes the layout of the text.
  if (event->type() == QEvent::FontChange) {
    raw_ = QRawFont();
    layOut();
    unitShown_.prepare(QTransform(), font());
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
  const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
  p.setFont(font());
  // The unit at the right edge, the number right-aligned before it.
  const int right = r.right() - kTextMargin - unitWidth();
  if (!unit_.isEmpty()) {
    p.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    const QSizeF size = unitShown_.size();
    p.drawStaticText(
        QPointF(r.right() - kTextMargin - size.width(), (r.height() - size.height()) / 2.0),
        unitShown_);
  }
  p.setPen(palette().color(group, QPalette::Text));
  if (!glyphs_.isEmpty()) {
    const qreal height = raw_.ascent() + raw_.descent();
    p.drawGlyphRun(QPointF(right - glyphsWidth_, (r.height() - height) / 2.0), glyphs_);
    return;
  }
  const QSizeF size = shown_.size();
  p.drawStaticText(QPointF(right - size.width(), (r.height() - size.height()) / 2.0), shown_);
}
