// Numeric controls: an edit field with arrows (u16, int or float) or a read-out.
//
// The control keeps its value itself, in its own type: whole numbers for u16
// and int, a single-precision float for float. The widget shows it (a float
// with `precision` decimals). Values from the program are clamped to min..max,
// as a typed value beyond the range is coerced to the nearest limit
// (number_entry.h), which the control's note then says. Enter commits also an
// unchanged value. A shown unit (SetCtrlShownUnit) changes only what the
// widget shows and how a typed number is read.
#include <QPointer>
#include <QToolTip>
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
      realBox_->onCoerced = [this](const QString& note, bool unchanged) {
        coerced(note, unchanged);
      };
      setUpSpinBox(realBox_);
      connect(realBox_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        value_ = static_cast<float>(v);
        changedByOperator();
      });
    } else {
      intBox_ = new WholeNumberBox;
      intBox_->setRange(static_cast<int>(min_), static_cast<int>(max_));
      intBox_->setSingleStep(std::max(1, static_cast<int>(spec.step)));
      intBox_->onEnterUnchanged = [this] { DeliverControlEvent(this, UI_EVENT_COMMIT); };
      intBox_->onCoerced = [this](const QString& note, bool unchanged) {
        coerced(note, unchanged);
      };
      setUpSpinBox(intBox_);
      connect(intBox_, &QSpinBox::valueChanged, this, [this](int v) {
        value_ = v;
        changedByOperator();
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

  int setShownUnit(double factor, double divisor, const QString& unit) override {
    if (factor != divisor && intBox_ == nullptr) return UIE_BAD_VALUE;
    const QString suffix = unit.isEmpty() ? QString() : " " + unit;
    if (intBox_ != nullptr) {
      const QSignalBlocker blocker(intBox_);
      intBox_->setShownScale(factor, divisor);
      intBox_->setSuffix(suffix);  // shows the value anew
    } else if (realBox_ != nullptr) {
      const QSignalBlocker blocker(realBox_);
      realBox_->setSuffix(suffix);
    } else {
      readout_->setUnit(unit);
    }
    return 0;
  }

 private:
  // A typed number became a limit: the note says so. The operator's change
  // clears the note first, so a note for a changed value waits for it.
  void coerced(const QString& note, bool unchanged) {
    if (unchanged) {
      say(note);  // the value stays; no change will come
    } else {
      coercionNote_ = note;
    }
  }

  void changedByOperator() {
    const QString note = coercionNote_;
    coercionNote_.clear();
    const QPointer<NumericControl> alive(this);
    operatorChanged();
    if (!note.isEmpty() && !alive.isNull()) say(note);
  }

  // The note marks the field, and shows at once where someone looks at it.
  void say(const QString& note) {
    setCorrectionNote(note);
    if (body()->isVisible())
      QToolTip::showText(body()->mapToGlobal(QPoint(0, body()->height())), note, body());
  }

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
  double value_ = 0.0;    // a float's value is held exactly as the float it is
  QString coercionNote_;  // said once the coerced value has been delivered
  WholeNumberBox* intBox_ = nullptr;
  RealNumberBox* realBox_ = nullptr;
  ReadoutWidget* readout_ = nullptr;
};

}  // namespace

Control* NewNumericControl(PanelWindow* panel, const ControlSpec& spec) {
  return new NumericControl(panel, spec);
}
