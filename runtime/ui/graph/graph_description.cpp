// A graph in words, for assistive technology: what each kind of plot covers,
// where the cursors stand, and the axes.
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "runtime/ui/graph/graph_widget.h"

namespace {

QString Number(double v) {
  return QString::number(v, 'g', 7);
}

QString DescribePlot(const GraphPlotInfo& plot) {
  if (plot.kind == GraphPlotKind::Rectangle && plot.x.size() == 2) {
    return QString("%1 to %2")
        .arg(Number(std::min(plot.x[0], plot.x[1])), Number(std::max(plot.x[0], plot.x[1])));
  }
  if (plot.y.empty()) return "empty";
  const auto [low, high] = std::minmax_element(plot.y.begin(), plot.y.end());
  if (*low == *high) return "at " + Number(*low);
  return QString("lowest %1, highest %2").arg(Number(*low), Number(*high));
}

}  // namespace

QString GraphWidget::describe() const {
  const Picture& picture = shown();
  QStringList parts;
  std::vector<bool> told(picture.plots.size(), false);
  for (const GraphLegendEntry& entry : legend_) {
    QStringList shown;
    for (size_t i = 0; i < picture.plots.size(); ++i) {
      if ((picture.plots[i].color & 0xFFFFFF) != (entry.color & 0xFFFFFF)) continue;
      shown << DescribePlot(picture.plots[i]);
      told[i] = true;
    }
    if (!shown.isEmpty()) parts << entry.text + " " + shown.join(" and ");
  }
  const auto others = std::count(told.begin(), told.end(), false);
  if (others > 0) parts << QString("%1 plot%2").arg(others).arg(others == 1 ? "" : "s");
  for (const GraphCursorState& c : picture.cursors) {
    // The words first, then the mark the operator sees on the graph.
    QString name = c.text.isEmpty() || c.text == c.label ? c.label : c.text;
    if (name != c.label && !c.label.isEmpty()) name += " (" + c.label + ")";
    parts << QString("%1 at %2").arg(name, Number(c.x));
  }
  QString axes = QString("x axis %1 to %2").arg(Number(picture.x.min), Number(picture.x.max));
  if (!picture.x.label.isEmpty()) axes += " " + picture.x.label;
  axes += QString(", y axis %1 to %2").arg(Number(picture.y.min), Number(picture.y.max));
  if (!picture.y.label.isEmpty()) axes += " " + picture.y.label;
  parts << axes;
  return parts.join("; ");
}
