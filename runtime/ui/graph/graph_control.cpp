// The graph control: a GraphWidget under its title. It holds no value.
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"
#include "runtime/ui/graph/graph_widget.h"

namespace {

class GraphControl : public Control {
 public:
  GraphControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    std::vector<GraphCursorState> cursors;
    for (const CursorSpec& c : spec.cursors)
      cursors.push_back(GraphCursorState{0.0, 0.0, QColor::fromRgb(QRgb(c.color)), c.label,
                                         c.text.isEmpty() ? c.label : c.text});
    std::vector<GraphLegendEntry> legend;
    for (const LegendSpec& l : spec.legend) legend.push_back(GraphLegendEntry{l.color, l.text});
    const auto axis = [](const AxisSpec& a) {
      return GraphAxisState{a.min, a.max, UI_SCALE_MANUAL, a.label, a.ticks};
    };
    graph_ = new GraphWidget(axis(spec.xAxis), axis(spec.yAxis), cursors, legend);
    placeBody(graph_, true);
  }

  bool isIndicator() const override { return true; }

 private:
  GraphWidget* graph_ = nullptr;
};

}  // namespace

Control* NewGraphControl(PanelWindow* panel, const ControlSpec& spec) {
  return new GraphControl(panel, spec);
}
