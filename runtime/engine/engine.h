// The engine's user-interface state: the panel table, the callback registry,
// the quit request, the callback nesting depth and the windows waiting to be
// destroyed. Internal to runtime/; nothing outside the engine includes it.
//
// Re-entrancy rules that every part of the engine follows:
// - callbacks are always called through DeliverControlEvent/DeliverPanelEvent,
//   which look the panel up again by handle and count the nesting depth;
// - no iterator or reference into the tables is held across a callback;
// - a discarded panel leaves the table at once (its handle is dead from then on)
//   but its window is destroyed only when no callback is running, because the
//   widget that dispatched the running callback may belong to it.
#pragma once

#include <QPointer>
#include <map>
#include <string>
#include <vector>

#include "runtime/userint.h"

class Control;
class PanelWindow;

struct Engine {
  bool started = false;

  std::map<int, QPointer<PanelWindow>> panels;  // live panels by handle
  int nextHandle = 1;
  std::vector<QPointer<PanelWindow>> graveyard;  // discarded, not yet destroyed

  std::map<std::string, CtrlCallbackPtr> ctrlCallbacks;
  std::map<std::string, PanelCallbackPtr> panelCallbacks;

  bool quitRequested = false;
  int quitCode = 0;
  int callbackDepth = 0;  // callbacks currently running (nested)
};

Engine& TheEngine();

// The live panel with this handle, or nullptr.
PanelWindow* FindPanel(int handle);
// The control `id` of the live panel `handle`, or nullptr.
Control* FindControl(int handle, int id);

// Callbacks by name; nullptr when nobody registered the name.
CtrlCallbackPtr LookUpCtrlCallback(const std::string& name);
PanelCallbackPtr LookUpPanelCallback(const std::string& name);

// Calls the control's callback with `event` if the control's panel is still
// live and the control has a callback. Returns true when it was called.
bool DeliverControlEvent(Control* control, int event);
// Calls the panel's callback with `event` if the panel is still live.
bool DeliverPanelEvent(PanelWindow* panel, int event);

// Destroys discarded windows when no callback is running. Called by the event
// loops between rounds of event processing.
void DestroyDiscardedPanels();
