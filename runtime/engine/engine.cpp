// The engine's user-interface state and the one path by which callbacks run.
#include "runtime/engine/engine.h"

#include <cstdio>

#include "runtime/ui/controls/control.h"
#include "runtime/ui/panels/panel_window.h"

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

PanelWindow* FindPanel(int handle) {
  Engine& e = TheEngine();
  const auto it = e.panels.find(handle);
  if (it == e.panels.end()) return nullptr;
  PanelWindow* panel = it->second.data();
  if (panel == nullptr || panel->discarded()) return nullptr;
  return panel;
}

Control* FindControl(int handle, int id) {
  PanelWindow* panel = FindPanel(handle);
  return panel != nullptr ? panel->control(id) : nullptr;
}

void RegisterCtrlCallback(const char* name, CtrlCallbackPtr fn) {
  if (name == nullptr) return;
  TheEngine().ctrlCallbacks[name] = fn;
}

void RegisterPanelCallback(const char* name, PanelCallbackPtr fn) {
  if (name == nullptr) return;
  TheEngine().panelCallbacks[name] = fn;
}

CtrlCallbackPtr LookUpCtrlCallback(const std::string& name) {
  const auto& table = TheEngine().ctrlCallbacks;
  const auto it = table.find(name);
  return it == table.end() ? nullptr : it->second;
}

PanelCallbackPtr LookUpPanelCallback(const std::string& name) {
  const auto& table = TheEngine().panelCallbacks;
  const auto it = table.find(name);
  return it == table.end() ? nullptr : it->second;
}

namespace {

// Counts the nesting depth for the lifetime of one callback call.
class DepthGuard {
 public:
  DepthGuard() { ++TheEngine().callbackDepth; }
  ~DepthGuard() { --TheEngine().callbackDepth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
};

}  // namespace

bool DeliverControlEvent(Control* control, int event) {
  if (control == nullptr) return false;
  PanelWindow* panel = control->panel();
  // A control whose panel was discarded (possibly by an earlier callback of the
  // same operator action) no longer reports anything.
  if (panel == nullptr || panel->discarded()) return false;
  const CtrlCallbackPtr fn = control->callback();
  if (fn == nullptr) return false;
  const int handle = panel->handle();
  const int id = control->id();
  DepthGuard guard;
  fn(handle, id, event, nullptr, 0, 0);
  return true;
}

bool DeliverPanelEvent(PanelWindow* panel, int event) {
  if (panel == nullptr || panel->discarded()) return false;
  const PanelCallbackPtr fn = panel->callback();
  if (fn == nullptr) return false;
  const int handle = panel->handle();
  DepthGuard guard;
  fn(handle, event, nullptr, 0, 0);
  return true;
}

void DestroyDiscardedPanels() {
  Engine& e = TheEngine();
  if (e.callbackDepth > 0 || e.graveyard.empty()) return;
  // Take the list first: destroying a window may discard nothing else, but a
  // destructor must never see a half-edited vector.
  std::vector<QPointer<PanelWindow>> doomed;
  doomed.swap(e.graveyard);
  for (QPointer<PanelWindow>& window : doomed) delete window.data();
}
