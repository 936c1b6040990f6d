// Inspection seams: what the operator (or a screen reader) would see, read from
// the engine's own state and from the real accessibility layer.
#include "runtime/testing/inspect.h"

#include <QAccessible>
#include <QAccessibleValueInterface>

#include "runtime/engine/engine.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/graph/graph_widget.h"
#include "runtime/ui/panels/panel_window.h"

namespace {

GraphWidget* Graph(int panel, int graph) {
  Control* c = FindControl(panel, graph);
  return c != nullptr ? qobject_cast<GraphWidget*>(c->body()) : nullptr;
}

QAccessibleInterface* Accessible(int panel, int control) {
  Control* c = FindControl(panel, control);
  if (c == nullptr || c->body() == nullptr) return nullptr;
  return QAccessible::queryAccessibleInterface(c->body());
}

}  // namespace

std::vector<GraphPlotInfo> InspectGraphPlots(int panel, int graph) {
  GraphWidget* g = Graph(panel, graph);
  return g != nullptr ? g->plots() : std::vector<GraphPlotInfo>{};
}

int InspectGraphCursor(int panel, int graph, int cursor, double* x, double* y) {
  GraphWidget* g = Graph(panel, graph);
  if (g == nullptr) return UIE_NO_SUCH_CONTROL;
  if (cursor < 1 || cursor > g->cursorCount()) return UIE_BAD_VALUE;
  if (x != nullptr) *x = g->cursor(cursor - 1).x;
  if (y != nullptr) *y = g->cursor(cursor - 1).y;
  return 0;
}

int InspectGraphAxis(int panel, int graph, int axis, GraphAxisInfo* out) {
  GraphWidget* g = Graph(panel, graph);
  if (g == nullptr) return UIE_NO_SUCH_CONTROL;
  if ((axis != UI_AXIS_X && axis != UI_AXIS_LEFT_Y) || out == nullptr) return UIE_BAD_VALUE;
  const GraphAxisState& a = g->axis(axis);
  out->mode = a.mode;
  out->min = a.min;
  out->max = a.max;
  return 0;
}

std::vector<ControlInfo> InspectPanelControls(int panel) {
  std::vector<ControlInfo> out;
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return out;
  for (Control* c : window->controls()) {
    ControlInfo info;
    info.id = c->id();
    info.name = c->name().toStdString();
    info.kind = c->kind().toStdString();
    info.label = c->label().toStdString();
    info.callback = c->callbackName().toStdString();
    out.push_back(std::move(info));
  }
  return out;
}

int InspectPanelVisible(int panel) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return UIE_NO_SUCH_PANEL;
  return window->isVisible() ? 1 : 0;
}

std::string InspectTextBoxLine(int panel, int control, int line) {
  Control* c = FindControl(panel, control);
  if (c == nullptr) return std::string();
  return c->lineText(line).toLatin1().toStdString();
}

std::string InspectAccessibleName(int panel, int control) {
  QAccessibleInterface* iface = Accessible(panel, control);
  if (iface == nullptr) return std::string();
  // A control with a caption is "labelled by" it, and that is what a screen
  // reader announces. (Some widgets, drop-downs on Linux for one, give their
  // current text as their own name and rely on this relation alone.)
  const auto labels = iface->relations(QAccessible::Label);
  if (!labels.isEmpty() && labels.first().first != nullptr)
    return labels.first().first->text(QAccessible::Name).toStdString();
  return iface->text(QAccessible::Name).toStdString();
}

std::string InspectAccessibleValue(int panel, int control) {
  QAccessibleInterface* iface = Accessible(panel, control);
  if (iface == nullptr) return std::string();
  QString value = iface->text(QAccessible::Value);
  if (value.isEmpty() && iface->valueInterface() != nullptr)
    value = iface->valueInterface()->currentValue().toString();
  if (value.isEmpty() && iface->textInterface() != nullptr) {
    QAccessibleTextInterface* text = iface->textInterface();
    value = text->text(0, text->characterCount());
  }
  return value.toStdString();
}

std::string InspectGraphSummaryWords(int panel, int graph) {
  GraphWidget* g = Graph(panel, graph);
  return g != nullptr ? g->summaryWords().toLatin1().toStdString() : std::string();
}

QWidget* InspectPanelWindow(int panel) {
  return FindPanel(panel);
}

QWidget* InspectControlWidget(int panel, int control) {
  Control* c = FindControl(panel, control);
  return c != nullptr ? c->body() : nullptr;
}
