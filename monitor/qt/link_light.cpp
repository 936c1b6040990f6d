#include "monitor/qt/link_light.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

namespace {

constexpr int kDot = 9;  // diameter of the dot, panel pixels
constexpr int kGap = 5;  // between the dot and the text

const char* ColourWord(monitor::LinkColour colour) {
  switch (colour) {
    case monitor::LinkColour::kGreen:
      return "green";
    case monitor::LinkColour::kRed:
      return "red";
    case monitor::LinkColour::kGrey:
      break;
  }
  return "grey";
}

QString ShortText(const monitor::LinkHealthView& view) {
  const QString response = view.lastResponseMs < 0.0
                               ? QStringLiteral("\u2013 ms")
                               : QString("%1 ms").arg(view.lastResponseMs, 0, 'f', 0);
  return QString("%1 replies/s \u00b7 %2 \u00b7 %3 time-out%4")
      .arg(view.repliesPerSecond, 0, 'f', 1)
      .arg(response)
      .arg(view.timeouts)
      .arg(view.timeouts == 1 ? "" : "s");
}

class LinkLightAccessible : public QAccessibleWidget {
 public:
  explicit LinkLightAccessible(LinkLight* light)
      : QAccessibleWidget(light, QAccessible::Indicator) {}

  QString text(QAccessible::Text t) const override {
    const auto* light = static_cast<const LinkLight*>(widget());
    if (t == QAccessible::Name) return light->stateName();
    if (t == QAccessible::Value) return light->spokenText();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* LinkLightFactory(const QString&, QObject* object) {
  if (auto* light = qobject_cast<LinkLight*>(object)) return new LinkLightAccessible(light);
  return nullptr;
}

}  // namespace

LinkLight::LinkLight(QWidget* parent) : QWidget(parent) {
  // Before the name is set: setting it makes the interface a screen reader gets.
  InstallLinkLightAccessibility();
  setAccessibleName("Link");
  setFocusPolicy(Qt::NoFocus);
  colour_ = monitor::LinkColour::kRed;  // differs from the first view: it is shown
  Show(monitor::LinkHealthView{}, 0.0);
}

QColor LinkLight::dotColour() const {
  switch (colour_) {
    case monitor::LinkColour::kGreen:
      return QColor(0x00, 0xA8, 0x44);
    case monitor::LinkColour::kRed:
      return QColor(0xD3, 0x2F, 0x2F);
    case monitor::LinkColour::kGrey:
      break;
  }
  return QColor(0x9A, 0xA1, 0xA8);
}

void LinkLight::Show(const monitor::LinkHealthView& view, double nowMs) {
  const QString shortText = ShortText(view);
  const QString spoken =
      QString("%1: %2").arg(ColourWord(view.colour), QString::fromStdString(view.text));
  const QString name =
      QString("Link: %1, %2").arg(ColourWord(view.colour), QString::fromStdString(view.state));
  if (name != stateName_) {
    stateName_ = name;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
  // The figures change with every reply; a screen reader hears of them at
  // most twice a second (a change of state is in the name at once).
  if (spoken != accessibleDescription() &&
      (!described_ || nowMs - describedAtMs_ >= kDescriptionGapMs || nowMs < describedAtMs_)) {
    described_ = true;
    describedAtMs_ = nowMs;
    // Also tells assistive technology that the description changed.
    setAccessibleDescription(spoken);
  }
  if (view.colour == colour_ && shortText == shortText_ && spoken == spokenText_) return;
  colour_ = view.colour;
  shortText_ = shortText;
  spokenText_ = spoken;
  setToolTip(spokenText_);
  fit();
  update();
}

void LinkLight::PlaceRightAligned(int right, int top) {
  right_ = right;
  top_ = top;
  fit();
}

void LinkLight::fit() {
  const QSize size = sizeHint();
  setGeometry(right_ - size.width(), top_, size.width(), size.height());
}

QSize LinkLight::sizeHint() const {
  const QFontMetrics metrics(font());
  return QSize(kDot + kGap + metrics.horizontalAdvance(shortText_) + 2, metrics.height() + 1);
}

void LinkLight::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF dot(1, (height() - kDot) / 2.0, kDot, kDot);
  p.setPen(QPen(dotColour().darker(130), 1));
  p.setBrush(dotColour());
  p.drawEllipse(dot);
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(QRect(kDot + kGap + 1, 0, width() - kDot - kGap - 1, height()),
             Qt::AlignLeft | Qt::AlignVCenter, shortText_);
}

void InstallLinkLightAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(LinkLightFactory);
}
