// The numeric read-out widget.
#include "runtime/ui/controls/readout_widget.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "runtime/ui/access/accessible_text.h"

namespace {
const QColor kDisplayBackground(0xf2, 0xf5, 0xf8);
constexpr int kTextMargin = 6;  // pixels between the text and the right edge
constexpr int kUnitGap = 4;     // pixels between the number and its unit
constexpr int kInkReach = 2;    // pixels a figure's ink may reach beyond its advance
}  // namespace

ReadoutWidget::ReadoutWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  QFont f = font();
  f.setWeight(QFont::DemiBold);
  setFont(f);
  shown_.setTextFormat(Qt::PlainText);
}

void ReadoutWidget::setText(const QString& text) {
  if (text == text_) return;
  const QString before = this->text();
  text_ = text;
  layOut();
  throttle_.request();
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
  throttle_.requestAll();
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

std::vector<ReadoutWidget::Figure> ReadoutWidget::figures() const {
  std::vector<Figure> all;
  if (glyphs_.isEmpty()) return all;
  const qreal left = rect().right() - kTextMargin - unitWidth() - glyphsWidth_;
  const QList<quint32> indexes = glyphs_.glyphIndexes();
  const QList<QPointF> positions = glyphs_.positions();
  for (qsizetype i = 0; i < indexes.size(); ++i) {
    const qreal end = i + 1 < positions.size() ? positions[i + 1].x() : glyphsWidth_;
    all.push_back(Figure{indexes[i], left + positions[i].x(), left + end});
  }
  return all;
}

// The columns of the figures that differ from those on screen (a figure that
// stays where it was needs no paint); a text laid out whole, a new size or
// nothing on screen yet: all of it.
QRegion ReadoutWidget::changedRegion() const {
  const std::vector<Figure> now = figures();
  if (!onScreen_ || onScreen_->empty() || now.empty() || onScreenSize_ != size()) return rect();
  QRegion region;
  const auto column = [&](const Figure& f) {
    return QRect(static_cast<int>(std::floor(f.left)) - kInkReach, 0,
                 static_cast<int>(std::ceil(f.right - f.left)) + 2 * kInkReach + 1, height());
  };
  for (const Figure& f : *onScreen_)
    if (std::find(now.begin(), now.end(), f) == now.end()) region += column(f);
  for (const Figure& f : now)
    if (std::find(onScreen_->begin(), onScreen_->end(), f) == onScreen_->end()) region += column(f);
  return region;
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
    onScreen_.reset();
    raw_ = QRawFont();
    layOut();
    unitShown_.prepare(QTransform(), font());
  }
  QWidget::changeEvent(event);
}

void ReadoutWidget::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  if (throttle_.paintsScreen(p)) {
    // What this paint leaves out is painted at the next frame.
    const QRegion missing = changedRegion() - event->region();
    onScreen_ = figures();
    onScreenSize_ = size();
    if (!missing.isEmpty()) throttle_.request(missing);
  }
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
