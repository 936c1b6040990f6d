// A graph in words, for assistive technology: what each kind of plot covers,
// where the cursors stand, and the axes; and its summary, paced.
#include <QAccessible>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "runtime/ui/graph/graph_widget.h"
#include "runtime/utility.h"

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

QStringList CursorParts(const std::vector<GraphCursorState>& cursors) {
  QStringList parts;
  for (const GraphCursorState& c : cursors) {
    // The words first, then the mark the operator sees on the graph.
    QString name = c.text.isEmpty() || c.text == c.label ? c.label : c.text;
    if (name != c.label && !c.label.isEmpty()) name += " (" + c.label + ")";
    parts << QString("%1 at %2").arg(name, Number(c.x));
  }
  return parts;
}

}  // namespace

// What the plots of each legend colour show; `told`, when given, marks the
// plots told.
QStringList GraphWidget::legendParts(const Picture& picture, std::vector<bool>* told) const {
  QStringList parts;
  for (const GraphLegendEntry& entry : legend_) {
    QStringList shown;
    for (size_t i = 0; i < picture.plots.size(); ++i) {
      if ((picture.plots[i].color & 0xFFFFFF) != (entry.color & 0xFFFFFF)) continue;
      shown << DescribePlot(picture.plots[i]);
      if (told != nullptr) (*told)[i] = true;
    }
    if (!shown.isEmpty()) parts << entry.text + " " + shown.join(" and ");
  }
  return parts;
}

QString GraphWidget::describe() const {
  const Picture& picture = shown();
  std::vector<bool> told(picture.plots.size(), false);
  QStringList parts = legendParts(picture, &told);
  const auto others = std::count(told.begin(), told.end(), false);
  if (others > 0) parts << QString("%1 plot%2").arg(others).arg(others == 1 ? "" : "s");
  parts << CursorParts(picture.cursors);
  QString axes = QString("x axis %1 to %2").arg(Number(picture.x.min), Number(picture.x.max));
  if (!picture.x.label.isEmpty()) axes += " " + picture.x.label;
  axes += QString(", y axis %1 to %2").arg(Number(picture.y.min), Number(picture.y.max));
  if (!picture.y.label.isEmpty()) axes += " " + picture.y.label;
  parts << axes;
  return parts.join("; ");
}

QString GraphWidget::composeSummary() const {
  const Picture& picture = shown();
  if (!picture.words.isEmpty()) return picture.words;
  const QStringList parts = legendParts(picture, nullptr) + CursorParts(picture.cursors);
  // A graph whose plots have words, with none drawn yet, says so.
  if (parts.isEmpty() && picture.plots.empty() && !legend_.empty()) return "nothing drawn";
  return parts.join("; ");
}

void GraphWidget::setSummaryWords(const QString& words) {
  if (live_.words == words) return;
  live_.words = words;
  if (!frozen_) summaryChanged();
}

// A frozen graph keeps telling the picture it shows.
void GraphWidget::summaryChanged() {
  summaryStale_ = true;
  if (QAccessible::isActive() && !summaryTimer_.isActive()) tellSummary();
}

// Sends the new summary when its gap is over, else waits for the rest of it.
void GraphWidget::tellSummary() {
  const QString before = summary_;
  const bool wasTold = summaryTold_;
  const QString now = summary();
  if (summaryStale_) {
    const double wait = kSummaryGapSeconds - (Timer() - summaryAt_);
    summaryTimer_.start(std::max(1, static_cast<int>(std::ceil(wait * 1000.0))));
    return;
  }
  if (wasTold && now == before) return;
  QAccessibleEvent event(this, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&event);
}

QString GraphWidget::summary() const {
  if (summaryStale_) {
    const double now = Timer();
    if (!summaryTold_ || now - summaryAt_ >= kSummaryGapSeconds) {
      summary_ = composeSummary();
      summaryAt_ = now;
      summaryTold_ = true;
      summaryStale_ = false;
    }
  }
  return summary_;
}

// What the operator does with the graph first: it is what changes at a key.
QString GraphWidget::accessibleDescriptionText() const {
  QStringList parts{viewDescription(), summary()};
  parts.removeAll(QString());
  return parts.join("; ");
}
