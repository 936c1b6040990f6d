// A command button. Its press and commit are delivered by the press filter
// (press_filter.cpp), not by the button's own clicked signal: the press must
// reach the program before anything else, and the commit must follow even when
// the press handler dimmed the button.
#include <QPushButton>

#include "runtime/control.h"
#include "runtime/control_kinds.h"

namespace {

class CommandControl : public Control {
 public:
  CommandControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    auto* button = new QPushButton(spec.label);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    setBodyOnly(button);
  }

  bool isCommand() const override { return true; }
};

}  // namespace

Control* NewCommandControl(PanelWindow* panel, const ControlSpec& spec) {
  return new CommandControl(panel, spec);
}
