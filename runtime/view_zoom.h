// Zooming a plot by the operator, one behaviour for the panels' graphs and the
// features' plots (the trend): with the keyboard focus on the plot, the mouse
// wheel zooms around the pointer (on a plot without the focus the wheel goes
// on to the window, the engine's rule for the wheel); a rectangle dragged with
// the left button zooms to it (a smaller drag than five pixels is a click);
// '+' and '-' halve and double the view around its centre; '0', Home and a
// double-click return to the whole view. A view is kept within the plot's
// whole view (its axes), never narrower than a ten-thousandth of it; zoomed
// out to all of it on both axes, the plot shows its whole view again.
//
// The plot owns a ViewZoom, hands it its operator input first, and paints the
// dragged rectangle and the corner marks ("FROZEN", "zoomed · 0: full axes")
// with it. All on the user-interface thread.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>

class QKeyEvent;
class QMouseEvent;
class QPainter;
class QWheelEvent;
class QWidget;

struct ViewRange {
  double min = 0.0, max = 1.0;
};
struct PlotView {
  ViewRange x, y;
};

// What a zoomable plot tells its ViewZoom, and is told by it.
class ZoomablePlot {
 public:
  // The plot's area in the widget.
  virtual QRectF zoomArea() const = 0;
  // The whole view the zoom is kept within, and the view shown now.
  virtual PlotView wholeView() const = 0;
  virtual PlotView shownView() const = 0;
  // The view changed: repaint and tell it in words.
  virtual void zoomChanged() = 0;

 protected:
  ~ZoomablePlot() = default;
};

class ViewZoom {
 public:
  ViewZoom(ZoomablePlot& plot, QWidget& widget) : plot_(plot), widget_(widget) {}

  bool zoomed() const { return view_.has_value(); }
  // The view zoomed to, as it was chosen.
  const std::optional<PlotView>& view() const { return view_; }
  // The zoomed view within `whole` as it stands now (the program may have
  // narrowed its axes since); an axis the view has left shows whole.
  PlotView within(const PlotView& whole) const;

  // Scales the shown view by `factor` around (x, y), which stay in place.
  void zoomAround(double factor, double x, double y);
  void zoomTo(ViewRange x, ViewRange y);
  // Back to the whole view.
  void reset();

  // The plot's values at a point of the widget; false outside its area.
  bool valueAt(QPointF pos, double* x, double* y) const;

  // Operator input; each returns true when it took the event.
  bool keyPress(QKeyEvent* event);
  bool wheel(QWheelEvent* event);
  bool mousePress(QMouseEvent* event);
  bool mouseMove(QMouseEvent* event);
  bool mouseRelease(QMouseEvent* event);
  bool mouseDoubleClick(QMouseEvent* event);
  bool dragging() const { return dragging_; }

  // The dragged rectangle, while one is dragged.
  void paintDrag(QPainter& p) const;
  // The marks a frozen or zoomed plot shows in its area's lower right corner,
  // in words ("" for none), and painted.
  static QString Marks(bool frozen, bool zoomed);
  static void PaintMarks(QPainter& p, const QRectF& area, bool frozen, bool zoomed);

 private:
  ZoomablePlot& plot_;
  QWidget& widget_;
  std::optional<PlotView> view_;
  bool dragging_ = false;
  QPointF dragFrom_, dragTo_;
};
