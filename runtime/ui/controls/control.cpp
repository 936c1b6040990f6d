// What every control kind shares: identity, the box with its label, dimming,
// visibility and the text attributes.
#include "runtime/ui/controls/control.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <algorithm>

#include "runtime/engine/engine.h"
#include "runtime/ui/panels/panel_window.h"

int LabelLineHeight() {
  return QFontMetrics(QApplication::font()).height() + 1;
}

Control::Control(PanelWindow* panel, const ControlSpec& spec)
    : QObject(panel),
      id_(spec.id),
      name_(spec.name),
      kind_(spec.kind),
      label_(spec.label),
      callbackName_(spec.callback),
      panel_(panel) {
  QRect area(spec.left, spec.top, spec.width, spec.height);
  box_ = new ControlBox(panel->containerFor(&area), this);
  box_->setGeometry(area);
}

Control::~Control() = default;

PanelWindow* Control::panel() const {
  return panel_.data();
}

void ControlBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (control_ != nullptr) control_->fitToBox();
}

void Control::placeBody(QWidget* body, bool withLabel) {
  body_ = body;
  body->setParent(box_);
  body->setAccessibleName(label_);
  withLabel_ = withLabel && !label_.isEmpty();
  if (withLabel_) {
    labelWidget_ = new QLabel(label_, box_);
    labelWidget_->setObjectName("controlLabel");
    // The body carries the accessible name; the label is just its caption.
    labelWidget_->setBuddy(body);
  }
  fitToBox();
}

void Control::fitToBox() {
  if (body_ == nullptr) return;
  const int w = box_->width();
  const int h = box_->height();
  const int lh = LabelLineHeight();
  if (withLabel_ && h < 2 * lh) {
    // A box one line high puts its label before the body, on the same line.
    const int lw = std::min(labelWidget_->sizeHint().width() + lh / 2, w / 2);
    labelWidget_->setGeometry(1, 0, lw - 1, h);
    body_->setGeometry(lw, 0, w - lw, h);
  } else if (withLabel_) {
    labelWidget_->setGeometry(1, 0, w - 1, lh);
    body_->setGeometry(0, lh + 1, w, h - lh - 1);
  } else {
    body_->setGeometry(0, 0, w, h);
  }
  if (correctionFrame_ != nullptr) correctionFrame_->setGeometry(body_->geometry());
}

void Control::setBodyOnly(QWidget* body) {
  placeBody(body, false);
}

namespace {
// The mark of a replaced value: a frame of the warning colour drawn over the
// edge of the part the operator works with. An overlay rather than a style
// sheet, so every kind keeps its own look (a spin box its arrows).
class CorrectionFrame : public QWidget {
 public:
  explicit CorrectionFrame(QWidget* body) : QWidget(body->parentWidget()) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(body->geometry());
    raise();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(QPen(QColor(0xD9, 0x7B, 0x00), 2));
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
  }
};
}  // namespace

void Control::setCorrectionNote(const QString& note) {
  if (body_ == nullptr || note == correctionNote_) return;
  correctionNote_ = note;
  body_->setToolTip(note);
  body_->setAccessibleDescription(note);
  delete correctionFrame_;
  correctionFrame_ = nullptr;
  if (!note.isEmpty()) {
    correctionFrame_ = new CorrectionFrame(body_);
    correctionFrame_->show();
  }
}

void Control::operatorChanged() {
  // The operator's own value replaces the one the program put there.
  setCorrectionNote(QString());
  // The first callback may discard the panel; the commit then goes nowhere.
  DeliverControlEvent(this, UI_EVENT_VALUE_CHANGED);
  DeliverControlEvent(this, UI_EVENT_COMMIT);
}

int Control::setNumber(double) {
  return UIE_BAD_VALUE;
}
int Control::getNumber(double*) const {
  return UIE_BAD_VALUE;
}
int Control::setText(const QString&) {
  return UIE_BAD_VALUE;
}
int Control::getText(QString*) const {
  return UIE_BAD_VALUE;
}
QString Control::lineText(int) const {
  return QString();
}
int Control::replaceLine(int, const QString&) {
  return UIE_BAD_VALUE;
}
int Control::setMaximum(double) {
  return UIE_BAD_VALUE;
}
int Control::getMaximum(double*) const {
  return UIE_BAD_VALUE;
}
int Control::setShownUnit(double, double, const QString&) {
  return UIE_BAD_VALUE;
}

void Control::setDimmed(bool dimmed) {
  dimmed_ = dimmed;
  const QWidget* focus = box_->window()->focusWidget();
  const bool hadFocus = focus != nullptr && (focus == box_ || box_->isAncestorOf(focus));
  box_->setEnabled(!dimmed);
  // Qt drops the focus of a widget inside a disabled box; the keyboard would
  // then start over at the first control of the panel.
  if (dimmed && hadFocus && panel() != nullptr) panel()->focusLostByDimming();
}

void Control::setShown(bool shown) {
  shown_ = shown;
  box_->setVisible(shown);
}

void Control::setTextColor(int rgb) {
  textColor_ = rgb & 0xFFFFFF;
  applyTextStyle();
}

void Control::setTextBackground(int rgb) {
  textBackground_ = rgb & 0xFFFFFF;
  applyTextStyle();
}

void Control::setTextFont(const QString& name) {
  fontName_ = name;
  applyTextStyle();
}

void Control::setTextPixelSize(int pixels) {
  textPixelSize_ = pixels;
  applyTextStyle();
}

int Control::textColor() const {
  if (textColor_ >= 0) return textColor_;
  return static_cast<int>(body_->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF);
}

int Control::textBackground() const {
  if (textBackground_ >= 0) return textBackground_;
  return static_cast<int>(body_->palette().color(QPalette::Window).rgb() & 0xFFFFFF);
}

int Control::textPixelSize() const {
  const QFont f = body_->font();
  return f.pixelSize() > 0 ? f.pixelSize() : qRound(f.pointSizeF() * 96.0 / 72.0);
}

void Control::applyTextStyle() {
  if (body_ == nullptr) return;
  QPalette pal = body_->palette();
  if (textColor_ >= 0) {
    const QColor c = QColor::fromRgb(static_cast<QRgb>(textColor_));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      pal.setColor(role, c);
  }
  if (textBackground_ >= 0) {
    const QColor c = QColor::fromRgb(static_cast<QRgb>(textBackground_));
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
      pal.setColor(role, c);
    body_->setAutoFillBackground(true);
  }
  body_->setPalette(pal);

  // "AppFont" (or no name) keeps the application's family; sizes are panel
  // pixels because the program positions its texts in panel pixels.
  QFont f = (fontName_.isEmpty() || fontName_.compare("AppFont", Qt::CaseInsensitive) == 0)
                ? QApplication::font()
                : QFont(fontName_);
  if (textPixelSize_ > 0)
    f.setPixelSize(textPixelSize_);
  else if (body_->font().pixelSize() > 0)
    f.setPixelSize(body_->font().pixelSize());
  body_->setFont(f);
  textStyleChanged();
}
