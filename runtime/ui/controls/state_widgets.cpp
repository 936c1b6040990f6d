// Painting of the switch and the lamp. Sizes follow the font so that the
// widgets keep their proportions at any display scaling.
#include "runtime/ui/controls/state_widgets.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

const QColor kTrackOn(0x1e, 0x6f, 0xc8);
const QColor kTrackOff(0x8a, 0x94, 0x9e);

}  // namespace

ToggleSwitch::ToggleSwitch(const QString& onText, const QString& offText, QWidget* parent)
    : QAbstractButton(parent), onText_(onText), offText_(offText) {
  setCheckable(true);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
}

QSize ToggleSwitch::sizeHint() const {
  const QFontMetrics fm(font());
  const int trackW = fm.height() * 2 + 6;
  const int textW = std::max(fm.horizontalAdvance(onText_), fm.horizontalAdvance(offText_));
  return QSize(trackW + 8 + textW + 4, fm.height() + 8);
}

bool ToggleSwitch::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics fm(font());
  const int trackH = std::min(height() - 6, fm.height() + 2);
  const int trackW = trackH * 2 + 2;
  const QRectF track(2.5, (height() - trackH) / 2.0, trackW, trackH);
  const bool on = isChecked();
  const bool active = isEnabled();

  QColor trackColor = on ? kTrackOn : kTrackOff;
  if (!active) trackColor = trackColor.lighter(150);
  p.setPen(QPen(trackColor.darker(125), 1.0));
  p.setBrush(trackColor);
  p.drawRoundedRect(track, trackH / 2.0, trackH / 2.0);

  const double knobD = trackH - 4.0;
  const double knobX = on ? track.right() - 2.0 - knobD : track.left() + 2.0;
  p.setPen(QPen(QColor(0, 0, 0, 60), 1.0));
  p.setBrush(active ? QColor(Qt::white) : QColor(0xf0, 0xf0, 0xf0));
  p.drawEllipse(QRectF(knobX, track.top() + 2.0, knobD, knobD));

  if (hasFocus()) {
    p.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(track.adjusted(-2, -2, 2, 2), trackH / 2.0 + 2, trackH / 2.0 + 2);
  }

  p.setPen(palette().color(active ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  const QRectF textRect(track.right() + 8, 0, width() - track.right() - 8, height());
  p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
             fm.elidedText(stateText(), Qt::ElideRight, static_cast<int>(textRect.width())));
}

LedLamp::LedLamp(const QString& caption, int onColor, bool operatorCanSwitch, QWidget* parent)
    : QAbstractButton(parent),
      onColor_(QColor::fromRgb(static_cast<QRgb>(onColor))),
      operatorCanSwitch_(operatorCanSwitch) {
  setText(caption);
  setCheckable(true);
  setFocusPolicy(operatorCanSwitch ? Qt::StrongFocus : Qt::NoFocus);
}

bool LedLamp::hitButton(const QPoint& pos) const {
  return operatorCanSwitch_ && rect().contains(pos);
}

// An indicator lamp ignores the keys that would flip a button.
void LedLamp::keyPressEvent(QKeyEvent* event) {
  if (operatorCanSwitch_)
    QAbstractButton::keyPressEvent(event);
  else
    event->ignore();
}

void LedLamp::keyReleaseEvent(QKeyEvent* event) {
  if (operatorCanSwitch_)
    QAbstractButton::keyReleaseEvent(event);
  else
    event->ignore();
}

void LedLamp::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics fm(font());
  const double d = std::min<double>(height() - 4, fm.height());
  const QRectF lamp(2.5, (height() - d) / 2.0, d, d);
  QColor face = isChecked() ? onColor_ : QColor(0x55, 0x5d, 0x66);
  if (!isEnabled()) face = face.lighter(160);
  QRadialGradient g(lamp.center() - QPointF(d / 5, d / 5), d * 0.7);
  g.setColorAt(0.0, face.lighter(isChecked() ? 160 : 130));
  g.setColorAt(1.0, face);
  p.setPen(QPen(face.darker(160), 1.0));
  p.setBrush(g);
  p.drawEllipse(lamp);

  p.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  const QRectF textRect(lamp.right() + 6, 0, width() - lamp.right() - 6, height());
  p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());
}

RadioIndicator::RadioIndicator(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
  // The program keeps the store buttons exclusive itself; the engine must not
  // switch a sibling off behind its back.
  setAutoExclusive(false);
}

void RadioIndicator::nextCheckState() {
  // Only selecting changes a radio button; the selected one stays selected.
  if (!isChecked()) setChecked(true);
}

void RadioIndicator::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
      emit arrowStep(-1);
      break;
    case Qt::Key_Down:
    case Qt::Key_Right:
      emit arrowStep(1);
      break;
    default:
      QRadioButton::keyPressEvent(event);
  }
}

bool RadioIndicator::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}
