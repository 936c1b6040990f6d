// Building a panel window from its description, and what its close button does.
#include "runtime/panel_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <cstdio>
#include <set>
#include <string>

#include "runtime/control.h"
#include "runtime/engine.h"

namespace {

// A callback name the resource uses but nobody registered is reported once per
// name, not once per panel load.
void ReportMissingCallback(const QString& name) {
  static std::set<std::string> reported;
  const std::string n = name.toStdString();
  if (!reported.insert(n).second) return;
  std::fprintf(stderr, "panel resource: no callback registered under the name \"%s\"\n", n.c_str());
}

}  // namespace

PanelWindow::PanelWindow(int handle, const PanelSpec& spec, PanelWindow* parent)
    : QWidget(parent, parent != nullptr ? Qt::Tool : Qt::Window),
      handle_(handle),
      name_(spec.name),
      parentPanel_(parent) {
  setObjectName(spec.name);
  setWindowTitle(spec.title);
  setFixedSize(spec.width, spec.height);
  if (spec.hasPosition) {
    offset_ = QPoint(spec.left, spec.top);
    hasOffset_ = true;
  }

  // Frames first, so that they lie below the controls they group.
  for (const DecorationSpec& d : spec.decorations) {
    auto* frame = new QGroupBox(d.label, this);
    frame->setGeometry(d.left, d.top, d.width, d.height);
    frame->setObjectName("decoration");
  }
  for (const ControlSpec& c : spec.controls) {
    Control* control = CreateControl(this, c);
    if (control != nullptr) controls_.push_back(control);
  }
  resolveCallbacks(spec);
  // The native window exists from the start so that its close button (and the
  // test seam that presses it) goes through the normal window path.
  create();
}

PanelWindow::~PanelWindow() = default;

void PanelWindow::resolveCallbacks(const PanelSpec& spec) {
  if (!spec.callback.isEmpty()) {
    callback_ = LookUpPanelCallback(spec.callback.toStdString());
    if (callback_ == nullptr) ReportMissingCallback(spec.callback);
  }
  for (Control* control : controls_) {
    if (control->callbackName().isEmpty()) continue;
    control->setCallback(LookUpCtrlCallback(control->callbackName().toStdString()));
    if (control->callback() == nullptr) ReportMissingCallback(control->callbackName());
  }
}

Control* PanelWindow::control(int id) const {
  for (Control* c : controls_)
    if (c->id() == id) return c;
  return nullptr;
}

int PanelWindow::addTextMessage(const QString& text, int left, int top) {
  int id = 0;
  for (Control* c : controls_) id = std::max(id, c->id());
  ++id;
  controls_.push_back(CreateTextMessage(this, id, text, left, top));
  return id;
}

void PanelWindow::showPanel() {
  if (!placed_) {
    placed_ = true;
    if (parentPanel_ != nullptr) {
      // Relative to the parent's client area, wherever the parent is now.
      const QPoint origin = parentPanel_->mapToGlobal(QPoint(0, 0));
      move(origin + (hasOffset_ ? offset_ : QPoint(40, 40)));
    } else if (hasOffset_) {
      move(offset_);
    }
  }
  // Showing a new window brings it to the front; one already shown is raised.
  if (isVisible()) raise();
  show();
}

void PanelWindow::hidePanel() {
  hide();
}

void PanelWindow::closeEvent(QCloseEvent* event) {
  // The program decides what closing means; the window stays until it hides
  // or discards the panel.
  event->ignore();
  if (discarded_) return;
  if (callback_ != nullptr) {
    DeliverPanelEvent(this, UI_EVENT_CLOSE);
  } else if (parentPanel_ != nullptr) {
    // A child panel nobody listens to: hiding it keeps its close button useful.
    hide();
  }
}
