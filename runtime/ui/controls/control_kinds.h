// Constructors of the control kinds, one file each; CreateControl picks one by
// the resource kind.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include "runtime/ui/panels/panel_resource.h"

class Control;
class PanelWindow;

Control* NewNumericControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewSlideControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewSwitchControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewRadioControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewLedControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewRingControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewCommandControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewTextControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewTextBoxControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewTextMessageControl(PanelWindow* panel, const ControlSpec& spec);
Control* NewGraphControl(PanelWindow* panel, const ControlSpec& spec);
