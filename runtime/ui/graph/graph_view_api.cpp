// The viewing aids' operations (runtime/graph_view.h) on a panel's graph.
#include "runtime/graph_view.h"

#include "runtime/ui/graph/graph_widget.h"

int SetGraphFrozen(int panel, int graph, int frozen) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  if (g == nullptr) return error;
  g->setFrozen(frozen != 0);
  return 0;
}

int GraphFrozen(int panel, int graph) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  return g == nullptr ? error : g->frozen() ? 1 : 0;
}

int GraphZoomed(int panel, int graph) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  return g == nullptr ? error : g->zoomed() ? 1 : 0;
}

int ResetGraphZoom(int panel, int graph) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  if (g == nullptr) return error;
  g->resetZoom();
  return 0;
}

int SetGraphReadout(int panel, int graph, GraphReadoutFn fn, void* context) {
  int error = 0;
  GraphWidget* g = FindGraphWidget(panel, graph, &error);
  if (g == nullptr) return error;
  g->setReadout(panel, graph, fn, context);
  return 0;
}
