// The graph control's widget: a display list (plots in drawing order, three
// cursors that are not plots, manual axis ranges) painted with QPainter.
//
// Changing the display list is cheap: it only marks the graph dirty. The graph
// is painted at the next frame (at once when the last paint is a frame old, or
// by a single-shot timer when it will be), so however often the program changes
// the list it is painted at most 60 times a second, and the newest change is on
// screen within one frame.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <vector>

#include "runtime/ui/graph/display_list.h"

class QPainter;

struct GraphAxisState {
  double min = 0.0, max = 1.0;
  int mode = 0;
  QString label;
  bool ticks = true;
};

struct GraphCursorState {
  double x = 0.0, y = 0.0;
  QColor color;
  QString label;
  QString text;  // what it marks, in words
};

// What the plots of one colour show, in words.
struct GraphLegendEntry {
  int color = 0;
  QString text;
};

class GraphWidget : public QWidget {
  Q_OBJECT
 public:
  GraphWidget(const GraphAxisState& x, const GraphAxisState& y,
              const std::vector<GraphCursorState>& cursors,
              const std::vector<GraphLegendEntry>& legend = {}, QWidget* parent = nullptr);

  // ---- Display list (all return 0 or a UIE_ code; plot additions the handle)
  int addXY(std::vector<double> x, std::vector<double> y, int plotStyle, int pointStyle,
            int lineStyle, int pointFrequency, int color);
  int addRectangle(double x1, double y1, double x2, double y2, int color, int fillColor);
  int deletePlot(int handle);  // UI_ALL_PLOTS deletes every plot
  int setAxis(int axis, int mode, double min, double max);
  int setCursor(int cursor, double x, double y);

  const std::vector<GraphPlotInfo>& plots() const { return plots_; }
  int cursorCount() const { return static_cast<int>(cursors_.size()); }
  const GraphCursorState& cursor(int index) const { return cursors_[index]; }
  const GraphAxisState& axis(int axis) const { return axis == 0 ? x_ : y_; }
  // What the graph shows, in words (its accessible value; graph_description.cpp):
  // the plots of each legend colour (a rectangle by its x range, a curve by
  // its lowest and highest y, a level line by its y), the cursors by what they
  // mark, plots of other colours counted, then the axes.
  QString describe() const;

  QSize minimumSizeHint() const override { return QSize(120, 80); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void markDirty();
  void requestPaint();
  void paintFrame(QPainter& p, const QRectF& area) const;
  QRectF plotArea() const;

  GraphAxisState x_, y_;
  std::vector<GraphCursorState> cursors_;
  std::vector<GraphLegendEntry> legend_;
  std::vector<GraphPlotInfo> plots_;
  int nextHandle_ = 1;
  QTimer repaintTimer_;
  QElapsedTimer clock_;
  bool painted_ = false;         // painted at least once
  bool paintRequested_ = false;  // update() asked for, paint not yet done
  qint64 lastPaintNs_ = 0;
  // The frame picture and what it was drawn for.
  struct BackgroundKey {
    QSize size;
    qreal ratio = 0;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool active = false;
    QString font;
    qint64 palette = 0;
    bool operator==(const BackgroundKey&) const = default;
  };
  BackgroundKey backgroundKey_;
  QPixmap background_;
};

// Follows what happens to every graph, when one is set: its display list
// changed, every plot was deleted, it was painted. None is set in the program;
// the test-support library sets one for the paint statistics.
enum class GraphEvent { Changed, AllPlotsDeleted, Painted };
using GraphObserver = void (*)(const GraphWidget* graph, GraphEvent event);
// Sets the observer (nullptr: none) and returns the one set before.
GraphObserver SetGraphObserver(GraphObserver observer);
