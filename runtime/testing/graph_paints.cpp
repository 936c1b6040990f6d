// The paints of each graph, for tests and benchmarks of the repaint throttle:
// how often it was painted, and how long changes of its display list waited
// until a paint showed them. Kept per graph while the graph lives.
#include <algorithm>
#include <chrono>
#include <map>

#include "runtime/engine/engine.h"
#include "runtime/testing/inspect.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/graph/graph_widget.h"

namespace {

struct Paints {
  long count = 0;
  bool changed = false;  // a change waits for a paint
  double firstChange = 0.0, lastChange = 0.0;
  GraphPaintStats stats;
};

double Now() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Never destroyed: graphs may still go after the program's statics are gone.
std::map<const GraphWidget*, Paints>& AllPaints() {
  static auto* all = new std::map<const GraphWidget*, Paints>;
  return *all;
}

Paints& Of(const GraphWidget* graph) {
  auto [it, added] = AllPaints().try_emplace(graph);
  if (added) QObject::connect(graph, &QObject::destroyed, [graph] { AllPaints().erase(graph); });
  return it->second;
}

void Follow(const GraphWidget* graph, GraphEvent event) {
  Paints& p = Of(graph);
  const double now = Now();
  switch (event) {
    case GraphEvent::Changed:
      if (!p.changed) p.firstChange = now;
      p.changed = true;
      p.lastChange = now;
      break;
    case GraphEvent::AllPlotsDeleted:
      ++p.stats.allDeleted;
      break;
    case GraphEvent::Painted:
      ++p.count;
      if (p.changed) {
        const double newest = now - p.lastChange;
        ++p.stats.paints;
        p.stats.newestMax = std::max(p.stats.newestMax, newest);
        p.stats.oldestMax = std::max(p.stats.oldestMax, now - p.firstChange);
        p.stats.newestSum += newest;
      }
      p.changed = false;
      break;
  }
}

// Set as the program starts, in every program that links this file (one that
// uses the functions below), so every paint is counted from the first.
[[maybe_unused]] const bool installed = (SetGraphObserver(&Follow), true);

GraphWidget* Graph(int panel, int graph) {
  Control* c = FindControl(panel, graph);
  return c != nullptr ? qobject_cast<GraphWidget*>(c->body()) : nullptr;
}

}  // namespace

long InspectGraphPaintCount(int panel, int graph) {
  GraphWidget* g = Graph(panel, graph);
  return g != nullptr ? Of(g).count : -1;
}

int InspectGraphPaintStats(int panel, int graph, GraphPaintStats* out) {
  GraphWidget* g = Graph(panel, graph);
  if (g == nullptr || out == nullptr) return UIE_NO_SUCH_CONTROL;
  *out = Of(g).stats;
  return 0;
}

int ResetGraphPaintStats(int panel, int graph) {
  GraphWidget* g = Graph(panel, graph);
  if (g == nullptr) return UIE_NO_SUCH_CONTROL;
  Of(g).stats = GraphPaintStats{};
  return 0;
}
