// Graph operations on a panel's graph control.
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/engine/engine.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/graph/graph_widget.h"

GraphWidget* FindGraphWidget(int panel, int graph, int* error) {
  Control* c = FindControl(panel, graph);
  if (c == nullptr) {
    *error = FindPanel(panel) ? UIE_NO_SUCH_CONTROL : UIE_NO_SUCH_PANEL;
    return nullptr;
  }
  auto* widget = qobject_cast<GraphWidget*>(c->body());
  if (widget == nullptr) *error = UIE_BAD_VALUE;
  return widget;
}

namespace {

// The arrays are copied now; the program may reuse its buffers at once.
bool CopyArray(const void* data, int n, int type, std::vector<double>* out) {
  if (data == nullptr || type != UI_TYPE_U16) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  out->resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    uint16_t v;
    std::memcpy(&v, bytes + static_cast<size_t>(i) * sizeof v, sizeof v);
    (*out)[static_cast<size_t>(i)] = v;
  }
  return true;
}

}  // namespace

int PlotXY(int panel, int graph, const void* x, const void* y, int n, int xType, int yType,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  if (g == nullptr) return error;
  if (n <= 0) return UIE_BAD_VALUE;
  std::vector<double> xs, ys;
  if (!CopyArray(x, n, xType, &xs) || !CopyArray(y, n, yType, &ys)) return UIE_BAD_VALUE;
  return g->addXY(std::move(xs), std::move(ys), plotStyle, pointStyle, lineStyle, pointFrequency,
                  color);
}

int PlotRectangle(int panel, int graph, double x1, double y1, double x2, double y2, int color,
                  int fillColor) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  if (g == nullptr) return error;
  return g->addRectangle(x1, y1, x2, y2, color, fillColor);
}

int DeleteGraphPlot(int panel, int graph, int plot, int redrawMode) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  if (g == nullptr) return error;
  // Both redraw modes leave painting to the throttled repaint.
  if (redrawMode != UI_REDRAW_NONE && redrawMode != UI_REDRAW_DELAYED) return UIE_BAD_VALUE;
  return g->deletePlot(plot);
}

int SetAxisScalingMode(int panel, int graph, int axis, int mode, double min, double max) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  if (g == nullptr) return error;
  return g->setAxis(axis, mode, min, max);
}

int SetGraphCursor(int panel, int graph, int cursor, double x, double y) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  if (g == nullptr) return error;
  return g->setCursor(cursor, x, y);
}
