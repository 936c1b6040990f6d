// The graph control's widget: a display list (plots in drawing order, three
// cursors that are not plots, manual axis ranges) painted with QPainter.
//
// Changing the display list is cheap: it only marks the graph dirty. The graph
// is painted at the next frame (at once when the last paint is a frame old, or
// by a single-shot timer when it will be), so however often the program changes
// the list it is painted at most 60 times a second, and the newest change is on
// screen within one frame.
//
// Frozen, zoomed or with a read-out (graph_view.cpp), it paints a view of that
// list; the list and the axes stay the program's.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QPixmap>
#include <QStaticText>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/graph_view.h"
#include "runtime/ui/graph/display_list.h"

class QPainter;
class QKeyEvent;
class QWheelEvent;
class QMouseEvent;
class QFocusEvent;

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

  // The program's display list and axes, whatever a frozen or zoomed view shows.
  const std::vector<GraphPlotInfo>& plots() const { return live_.plots; }
  int cursorCount() const { return static_cast<int>(live_.cursors.size()); }
  const GraphCursorState& cursor(int index) const { return live_.cursors[index]; }
  const GraphAxisState& axis(int axis) const { return axis == 0 ? live_.x : live_.y; }
  // What the graph shows, in words (its accessible value; graph_description.cpp):
  // the plots of each legend colour (a rectangle by its x range, a curve by
  // its lowest and highest y, a level line by its y), the cursors by what they
  // mark, plots of other colours counted, then the axes. Frozen: the picture
  // it keeps showing.
  QString describe() const;

  // ---- Summary (its accessible description; graph_description.cpp) --------
  // The program's words for what the graph shows (UI_ATTR_GRAPH_SUMMARY);
  // deleting every plot drops them. Without them the summary is made of the
  // legend's plots and the cursors, as describe() tells them.
  void setSummaryWords(const QString& words);
  const QString& summaryWords() const { return live_.words; }
  // The summary as assistive technology reads it: it follows the picture at
  // most once every kSummaryGapSeconds of the engine's clock (Timer()), the
  // newest each time; from the start it says what the graph shows.
  QString summary() const;
  static constexpr double kSummaryGapSeconds = 0.5;
  // The viewing aids' words (viewDescription()), then the summary.
  QString accessibleDescriptionText() const;

  // ---- Viewing aids (runtime/graph_view.h, graph_view.cpp) ----------------
  void setFrozen(bool frozen);
  bool frozen() const { return frozen_ != nullptr; }
  bool zoomed() const { return zoom_.has_value(); }
  void resetZoom();
  void setReadout(int panel, int graph, GraphReadoutFn fn, void* context);
  // The frozen and zoomed marks or the read-out label, in words (the
  // accessible description); empty when none is shown.
  QString viewDescription() const;

  QSize minimumSizeHint() const override { return QSize(120, 80); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Operator input for the viewing aids (graph_view.cpp).
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // What a picture is drawn from: the program's axes, cursors and plots.
  struct Picture {
    GraphAxisState x, y;
    std::vector<GraphCursorState> cursors;
    std::vector<GraphPlotInfo> plots;
    QString words;  // the program's summary of these plots
  };
  // A range of axis values, of one axis.
  struct Range {
    double min = 0.0, max = 1.0;
  };

  void markDirty();
  void summaryChanged();
  void tellSummary();
  QString composeSummary() const;
  QStringList legendParts(const Picture& picture, std::vector<bool>* told) const;
  void schedulePaint();
  void requestPaint();
  void paintFrame(QPainter& p, const QRectF& area, const GraphAxisState& xAxis,
                  const GraphAxisState& yAxis) const;
  QRectF plotArea() const;
  // `text` laid out in the widget's font, once: the tick labels that size the
  // plot area and the cursors' labels are measured or drawn at every frame,
  // and shaping them anew each time was a tenth of a paced Run's CPU.
  const QStaticText& laid(const QString& text) const;
  // The picture on screen: the frozen one while frozen, else the program's.
  const Picture& shown() const { return frozen_ ? *frozen_ : live_; }
  // The shown picture's axis (0 = x, 1 = y) over the zoomed range, if any.
  GraphAxisState shownAxis(int axis) const;

  // Viewing aids (graph_view.cpp).
  void zoomAround(double factor, double x, double y);
  void zoomTo(Range x, Range y);
  void viewChanged();
  bool valueAt(QPointF pos, double* x, double* y) const;
  void showReadout(double x, double y, bool marker);
  void hideReadout();
  void paintView(QPainter& p, const QRectF& area, const GraphAxisState& xAxis,
                 const GraphAxisState& yAxis) const;

  Picture live_;
  std::vector<GraphLegendEntry> legend_;
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
  mutable QHash<QString, QStaticText> laidTexts_;
  mutable QString laidFont_;  // the font key the laid texts were made in
  // The summary as last told, when, and whether the picture changed since.
  mutable QString summary_;
  mutable double summaryAt_ = 0.0;
  mutable bool summaryTold_ = false;
  mutable bool summaryStale_ = true;
  QTimer summaryTimer_;  // tells a change that came too soon once its gap is over

  // Viewing aids; all unset until a feature or the operator uses them.
  std::unique_ptr<Picture> frozen_;
  std::optional<std::array<Range, 2>> zoom_;  // x, y
  GraphReadoutFn readout_ = nullptr;
  void* readoutContext_ = nullptr;
  int panel_ = 0, graph_ = 0;  // the ids the read-out is called with
  QString readoutText_;        // the label shown; empty: none
  double readoutX_ = 0.0, readoutY_ = 0.0;
  bool marker_ = false;  // the label belongs to the keyboard's marker
  bool dragging_ = false;
  QPointF dragFrom_, dragTo_;
};

// The graph widget of a panel's control, or null with *error set to a UIE_ code.
GraphWidget* FindGraphWidget(int panel, int graph, int* error);

// Follows what happens to every graph, when one is set: its display list
// changed, every plot was deleted, it was painted. None is set in the program;
// the test-support library sets one for the paint statistics.
enum class GraphEvent { Changed, AllPlotsDeleted, Painted };
using GraphObserver = void (*)(const GraphWidget* graph, GraphEvent event);
// Sets the observer (nullptr: none) and returns the one set before.
GraphObserver SetGraphObserver(GraphObserver observer);
