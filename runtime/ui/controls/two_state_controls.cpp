// Controls that hold 0 or 1: the switch, the radio button and the lamp.
// Any value other than 0 from the program means 1. The operator flips the switch
// and the radio button (value changed, then commit); the lamp is an indicator.
#include <QAccessible>
#include <cmath>
#include <vector>

#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"
#include "runtime/ui/controls/state_widgets.h"
#include "runtime/ui/panels/panel_window.h"

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

// The radio buttons of one panel form its radio group: one Tab stop (the
// selected button, else the first), the arrow keys select the next or the
// previous active button as the operator's Space on it would.
class RadioControl : public Control {
 public:
  RadioControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    radio_ = new RadioIndicator(spec.label);
    setBodyOnly(radio_);
    radio_->setChecked(spec.number != 0.0);
    // Program changes are made with the signals blocked, and the selected
    // button does not toggle: what arrives here is a change by the operator.
    connect(radio_, &QAbstractButton::toggled, this, [this] {
      UpdateTabStops(this->panel());
      operatorChanged();
    });
    connect(radio_, &RadioIndicator::arrowStep, this, [this](int step) { selectSibling(step); });
  }

  void panelBuilt() override { UpdateTabStops(panel()); }

  int setNumber(double value) override {
    if (std::isnan(value)) return UIE_BAD_VALUE;
    {
      const QSignalBlocker blocker(radio_);
      radio_->setChecked(value != 0.0);
    }
    UpdateTabStops(panel());
    return 0;
  }

  int getNumber(double* value) const override {
    *value = radio_->isChecked() ? 1.0 : 0.0;
    return 0;
  }

 private:
  static std::vector<RadioControl*> Group(PanelWindow* panel) {
    std::vector<RadioControl*> group;
    if (panel == nullptr) return group;
    for (Control* c : panel->controls())
      if (auto* radio = dynamic_cast<RadioControl*>(c)) group.push_back(radio);
    return group;
  }

  bool selectable() const { return !dimmed() && shown(); }

  static void UpdateTabStops(PanelWindow* panel) {
    const std::vector<RadioControl*> group = Group(panel);
    RadioControl* stop = nullptr;
    for (RadioControl* r : group)
      if (stop == nullptr && r->radio_->isChecked()) stop = r;
    if (stop == nullptr && !group.empty()) stop = group.front();
    for (RadioControl* r : group)
      r->radio_->setFocusPolicy(r == stop ? Qt::StrongFocus : Qt::ClickFocus);
  }

  void selectSibling(int step) {
    const std::vector<RadioControl*> group = Group(panel());
    const int n = static_cast<int>(group.size());
    int at = 0;
    while (at < n && group[at] != this) ++at;
    for (int i = 1; i < n; ++i) {
      RadioControl* next = group[((at + step * i) % n + n) % n];
      if (!next->selectable()) continue;
      next->radio_->setFocus(Qt::TabFocusReason);
      // As Space on it: value changed and commit when it was not selected.
      if (!next->radio_->isChecked()) next->radio_->click();
      return;
    }
  }

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
    const bool before = lamp_->isChecked();
    {
      const QSignalBlocker blocker(lamp_);
      lamp_->setChecked(value != 0.0);
    }
    // An indicator's name carries its state.
    if (lamp_->isChecked() != before && isIndicator()) {
      QAccessibleEvent event(lamp_, QAccessible::NameChanged);
      QAccessible::updateAccessibility(&event);
    }
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
