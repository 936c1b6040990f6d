// Picks the control kind named by the resource.
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"

Control* CreateControl(PanelWindow* panel, const ControlSpec& spec) {
  const QString& k = spec.kind;
  Control* c = nullptr;
  if (k == "numeric")
    c = NewNumericControl(panel, spec);
  else if (k == "slide")
    c = NewSlideControl(panel, spec);
  else if (k == "switch")
    c = NewSwitchControl(panel, spec);
  else if (k == "radio")
    c = NewRadioControl(panel, spec);
  else if (k == "led")
    c = NewLedControl(panel, spec);
  else if (k == "ring")
    c = NewRingControl(panel, spec);
  else if (k == "command")
    c = NewCommandControl(panel, spec);
  else if (k == "text")
    c = NewTextControl(panel, spec);
  else if (k == "textbox")
    c = NewTextBoxControl(panel, spec);
  else if (k == "graph")
    c = NewGraphControl(panel, spec);
  if (c == nullptr) return nullptr;
  c->setDimmed(spec.dimmed);
  c->setShown(spec.visible);
  return c;
}

Control* CreateTextMessage(PanelWindow* panel, int id, const QString& text, int left, int top) {
  ControlSpec spec;
  spec.id = id;
  spec.kind = "text-message";
  spec.text = text;
  spec.left = left;
  spec.top = top;
  spec.width = 1;
  spec.height = 1;
  Control* c = NewTextMessageControl(panel, spec);
  c->box()->show();
  return c;
}
