// Numeric controls: an edit field with arrows (u16, int or float) or a read-out.
//
// The control keeps its value itself, in its own type: whole numbers for u16
// and int, a single-precision float for float. The widget shows it (a float
// with `precision` decimals). Values from the program are clamped to min..max,
// as a typed value beyond the range is coerced to the nearest limit
// (number_entry.h). Enter commits also an unchanged value.
#include <cmath>

#include "runtime/engine/engine.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"
#include "runtime/ui/controls/readout_widget.h"
#include "runtime/ui/input/number_entry.h"

namespace {

class NumericControl : public Control {
 public:
  NumericControl(PanelWindow* panel, const ControlSpec& spec)
      : Control(panel, spec),
        real_(spec.type == "float"),
        indicator_(spec.mode == "indicator"),
        min_(spec.min),
        max_(spec.max),
        precision_(real_ ? spec.precision : 0) {
    if (indicator_) {
      readout_ = new ReadoutWidget;
      readout_->setObjectName("readout");
      placeBody(readout_, true);
    } else if (real_) {
      realBox_ = new RealNumberBox;
      realBox_->setDecimals(precision_);
      realBox_->setSingleStep(spec.step);
      realBox_->setRange(min_, max_);
      realBox_->onEnterUnchanged = [this] { DeliverControlEvent(this, UI_EVENT_COMMIT); };
      setUpSpinBox(realBox_);
      connect(realBox_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        value_ = static_cast<float>(v);
        operatorChanged();
      });
    } else {
      intBox_ = new WholeNumberBox;
      intBox_->setRange(static_cast<int>(min_), static_cast<int>(max_));
      intBox_->setSingleStep(std::max(1, static_cast<int>(spec.step)));
      intBox_->onEnterUnchanged = [this] { DeliverControlEvent(this, UI_EVENT_COMMIT); };
      setUpSpinBox(intBox_);
      connect(intBox_, &QSpinBox::valueChanged, this, [this](int v) {
        value_ = v;
        operatorChanged();
      });
    }
    store(spec.number);
  }

  bool isIndicator() const override { return indicator_; }

  int setNumber(double value) override {
    if (std::isnan(value)) return UIE_BAD_VALUE;
    store(value);
    return 0;
  }

  int getNumber(double* value) const override {
    *value = value_;
    return 0;
  }

  int setMaximum(double max) override {
    if (std::isnan(max) || max < min_) return UIE_BAD_VALUE;
    max_ = max;
    {
      const QSignalBlocker b1(intBox_), b2(realBox_);
      if (intBox_ != nullptr) intBox_->setMaximum(static_cast<int>(std::floor(max_)));
      if (realBox_ != nullptr) realBox_->setMaximum(max_);
    }
    store(value_);  // re-clamped to the new range
    return 0;
  }

  int getMaximum(double* max) const override {
    *max = max_;
    return 0;
  }

 private:
  void setUpSpinBox(QAbstractSpinBox* box) {
    // Report a typed value once, when the entry is finished (Enter or leaving
    // the field), not at every keystroke; arrow steps report at once.
    box->setKeyboardTracking(false);
    // The wheel turns only the field that has the focus; passing over one
    // neither focuses nor changes it.
    box->setFocusPolicy(Qt::StrongFocus);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setAccelerated(true);
    placeBody(box, true);
  }

  void store(double v) {
    v = std::clamp(v, min_, max_);
    value_ = real_ ? static_cast<double>(static_cast<float>(v)) : std::trunc(v);
    if (intBox_ != nullptr) {
      const QSignalBlocker blocker(intBox_);
      intBox_->setValue(static_cast<int>(value_));
    } else if (realBox_ != nullptr) {
      const QSignalBlocker blocker(realBox_);
      realBox_->setValue(value_);
    } else {
      // Read-outs are rewritten with every measurement, mostly with the value
      // they show already; an unchanged text costs nothing.
      readout_->setText(QString::number(value_, 'f', precision_));
    }
  }

  const bool real_;
  const bool indicator_;
  double min_, max_;
  int precision_;
  double value_ = 0.0;  // a float's value is held exactly as the float it is
  WholeNumberBox* intBox_ = nullptr;
  RealNumberBox* realBox_ = nullptr;
  ReadoutWidget* readout_ = nullptr;
};

}  // namespace

Control* NewNumericControl(PanelWindow* panel, const ControlSpec& spec) {
  return new NumericControl(panel, spec);
}
