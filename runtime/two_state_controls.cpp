// Controls that hold 0 or 1: the switch, the radio button and the lamp.
// Any value other than 0 from the program means 1. The operator flips the switch
// and the radio button (value changed, then commit); the lamp is an indicator.
#include <cmath>

#include "runtime/control.h"
#include "runtime/control_kinds.h"
#include "runtime/state_widgets.h"

namespace {

class SwitchControl : public Control {
 public:
  SwitchControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    switch_ = new ToggleSwitch(spec.onText, spec.offText);
    placeBody(switch_, true);
    switch_->setChecked(spec.number != 0.0);
    connect(switch_, &QAbstractButton::clicked, this, [this] { operatorChanged(); });
  }

  int setNumber(double value) override {
    if (std::isnan(value)) return UIE_BAD_VALUE;
    const QSignalBlocker blocker(switch_);
    switch_->setChecked(value != 0.0);
    switch_->update();
    return 0;
  }

  int getNumber(double* value) const override {
    *value = switch_->isChecked() ? 1.0 : 0.0;
    return 0;
  }

 private:
  ToggleSwitch* switch_ = nullptr;
};

class RadioControl : public Control {
 public:
  RadioControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    radio_ = new RadioIndicator(spec.label);
    setBodyOnly(radio_);
    radio_->setChecked(spec.number != 0.0);
    connect(radio_, &QAbstractButton::clicked, this, [this] { operatorChanged(); });
  }

  int setNumber(double value) override {
    if (std::isnan(value)) return UIE_BAD_VALUE;
    const QSignalBlocker blocker(radio_);
    radio_->setChecked(value != 0.0);
    return 0;
  }

  int getNumber(double* value) const override {
    *value = radio_->isChecked() ? 1.0 : 0.0;
    return 0;
  }

 private:
  RadioIndicator* radio_ = nullptr;
};

class LedControl : public Control {
 public:
  LedControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    lamp_ = new LedLamp(spec.label, spec.onColor, spec.mode == "edit");
    setBodyOnly(lamp_);
    lamp_->setChecked(spec.number != 0.0);
    if (lamp_->operatorCanSwitch())
      connect(lamp_, &QAbstractButton::clicked, this, [this] { operatorChanged(); });
  }

  bool isIndicator() const override { return !lamp_->operatorCanSwitch(); }

  int setNumber(double value) override {
    if (std::isnan(value)) return UIE_BAD_VALUE;
    const QSignalBlocker blocker(lamp_);
    lamp_->setChecked(value != 0.0);
    return 0;
  }

  int getNumber(double* value) const override {
    *value = lamp_->isChecked() ? 1.0 : 0.0;
    return 0;
  }

 private:
  LedLamp* lamp_ = nullptr;
};

}  // namespace

Control* NewSwitchControl(PanelWindow* panel, const ControlSpec& spec) {
  return new SwitchControl(panel, spec);
}

Control* NewRadioControl(PanelWindow* panel, const ControlSpec& spec) {
  return new RadioControl(panel, spec);
}

Control* NewLedControl(PanelWindow* panel, const ControlSpec& spec) {
  return new LedControl(panel, spec);
}
