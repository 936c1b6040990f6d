// A panel laid out on a canvas of another size than the panel: each control
// and frame of the resource moves and grows by its shares of the difference
// (ResizeSpec), so a larger window gives its room to the graphs and a smaller
// one, down to the panel's minimum, takes it from them.
//
// Widgets that others place on the canvas (a feature's button beside a
// control) are placed in panel pixels as on a panel of its own size; each
// follows the nearest control or frame: on its row if one is there, else the
// nearest overall, by that item's edge on the widget's side (a widget right of
// a graph's middle moves with the graph's right edge). It keeps its size, and
// wherever it places itself again it is laid out again from there. The
// engine's own widgets without shares (the texts the program adds) stay.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>
#include <vector>

#include "runtime/ui/panels/panel_resource.h"

class PanelLayout : public QObject {
 public:
  // `canvas` shows a panel of `panelSize`; `laidOut` runs after every layout.
  PanelLayout(QWidget* canvas, QSize panelSize, std::function<void()> laidOut);

  // A control's box or a frame, where the resource put it (in its parent, the
  // canvas or a frame added before). Items are laid out in the order added.
  void addItem(QWidget* widget, const ResizeSpec& resize);
  // Whether any item moves or grows: only then does the canvas follow the window.
  bool followsWindow() const;
  // Lays every item and placed widget out for the canvas's size.
  void apply();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Item {
    QPointer<QWidget> widget;
    int container = -1;  // index of the frame holding it; -1: the canvas
    QRect base;          // in its container, at the panel's size
    QRect onCanvas;      // the same on the canvas
    ResizeSpec resize;
    // How its edges stand off their places on the canvas after apply().
    int dLeft = 0, dRight = 0, dTop = 0, dBottom = 0;
  };
  struct Placed {
    QPointer<QWidget> widget;
    QRect base;  // where it placed itself, in panel pixels
    QRect laid;  // where the layout put it last
    int follows = -1;
  };

  bool isEngineWidget(const QWidget* w) const;
  int nearestItem(const QRect& r) const;
  void placeFollower(Placed& p);
  void setGeometryQuietly(QWidget* w, const QRect& r);

  QWidget* canvas_;
  QSize panelSize_;
  std::function<void()> laidOut_;
  std::vector<Item> items_;
  std::vector<Placed> placed_;
  bool applying_ = false;
};
