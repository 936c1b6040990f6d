// A horizontal slide with its value shown beside it. Value changed while the
// operator drags, commit when the handle is released; a step by keyboard or a
// click on the groove is a whole change (value changed, then commit). Enter or
// Return on the focused slide commits its value as it stands, as on a numeric
// field.
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <cmath>

#include "runtime/engine/engine.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"

namespace {

class SlideControl : public Control {
 public:
  SlideControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setRange(static_cast<int>(spec.min), static_cast<int>(spec.max));
    slider_->setSingleStep(1);
    slider_->setPageStep(std::max(1, static_cast<int>((spec.max - spec.min) / 16)));
    slider_->setTracking(true);
    slider_->setFocusPolicy(Qt::StrongFocus);
    slider_->installEventFilter(this);
    placeBody(slider_, true);

    valueLabel_ = new QLabel(box());
    valueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    valueLabel_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    valueLabel_->setObjectName("slideValue");
    layoutValue();

    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
      showValue(v);
      DeliverValueChanged();
      if (!slider_->isSliderDown()) DeliverCommit();
    });
    connect(slider_, &QSlider::sliderReleased, this, [this] { DeliverCommit(); });
    store(spec.number);
  }

  int setNumber(double value) override {
    if (std::isnan(value)) return UIE_BAD_VALUE;
    store(value);
    return 0;
  }

  int getNumber(double* value) const override {
    *value = slider_->value();
    return 0;
  }

  int setMaximum(double max) override {
    if (std::isnan(max) || max < slider_->minimum()) return UIE_BAD_VALUE;
    const QSignalBlocker blocker(slider_);
    slider_->setMaximum(static_cast<int>(std::min(max, 65535.0)));
    showValue(slider_->value());  // the slider re-clamped its value
    layoutValue();
    return 0;
  }

  int getMaximum(double* max) const override {
    *max = slider_->maximum();
    return 0;
  }

  void fitToBox() override {
    Control::fitToBox();
    if (valueLabel_ != nullptr) layoutValue();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == slider_ && event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        DeliverCommit();
        return true;
      }
    }
    return Control::eventFilter(watched, event);
  }

 private:
  void DeliverValueChanged() { DeliverControlEvent(this, UI_EVENT_VALUE_CHANGED); }
  void DeliverCommit() { DeliverControlEvent(this, UI_EVENT_COMMIT); }

  void store(double v) {
    const QSignalBlocker blocker(slider_);
    slider_->setValue(static_cast<int>(
        std::clamp(std::trunc(v), double(slider_->minimum()), double(slider_->maximum()))));
    showValue(slider_->value());
  }

  void showValue(int v) { valueLabel_->setText(QString::number(v) + " "); }

  // The read-out takes the room of the widest value; the slider the rest.
  void layoutValue() {
    const QRect r = slider_->geometry();
    const int digits = QString::number(slider_->maximum()).size();
    const int w = QFontMetrics(valueLabel_->font()).horizontalAdvance(QString(digits + 2, '0'));
    const int labelTop = r.top() + (r.height() - 24) / 2;
    valueLabel_->setGeometry(box()->width() - w, std::max(r.top(), labelTop), w,
                             std::min(24, r.height()));
    slider_->setGeometry(r.left(), r.top(), box()->width() - w - 8, r.height());
  }

  QSlider* slider_ = nullptr;
  QLabel* valueLabel_ = nullptr;
};

}  // namespace

Control* NewSlideControl(PanelWindow* panel, const ControlSpec& spec) {
  return new SlideControl(panel, spec);
}
