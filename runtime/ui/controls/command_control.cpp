// A command button. Its press and commit are delivered by the press filter
// (press_filter.cpp), not by the button's own clicked signal: the press must
// reach the program before anything else, and the commit must follow even when
// the press handler dimmed the button. A button that closes its panel has no
// callback: its click is the window's close button.
#include <QPointer>
#include <QPushButton>

#include "runtime/engine/engine.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"
#include "runtime/ui/panels/panel_window.h"

namespace {

class CommandControl : public Control {
 public:
  CommandControl(PanelWindow* panel, const ControlSpec& spec)
      : Control(panel, spec), closesPanel_(spec.closesPanel) {
    auto* button = new QPushButton(spec.label);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    setBodyOnly(button);
    if (closesPanel_) connect(button, &QPushButton::clicked, this, [this] { activate(); });
  }

  bool isCommand() const override { return true; }

  void activate() override {
    if (closesPanel_) {
      if (panel() != nullptr) panel()->requestClose();
      return;
    }
    QPointer<Control> guard(this);
    DeliverControlEvent(this, UI_EVENT_LEFT_PRESS);
    if (!guard.isNull()) DeliverControlEvent(this, UI_EVENT_COMMIT);
  }

 private:
  bool closesPanel_;
};

}  // namespace

Control* NewCommandControl(PanelWindow* panel, const ControlSpec& spec) {
  return new CommandControl(panel, spec);
}
