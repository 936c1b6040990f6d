// Test seam for tests that drive widgets with Qt's own test events (QTest key
// and mouse events): the widgets behind a panel and a control. The program
// never uses this.
#pragma once

#include <QRegion>

class QWidget;

// The panel's window, or nullptr.
QWidget* InspectPanelWindow(int panel);
// The part of the control the operator works with (spin box, button, graph,
// ...), or nullptr.
QWidget* InspectControlWidget(int panel, int control);

// What `widget` last handed to painting through its repaint throttle
// (runtime/repaint_throttle.h), in its own coordinates, and the hand-overs so
// far; empty and 0 before the first. Kept while the widget lives.
struct RepaintRecord {
  QRegion last;
  long count = 0;
};
RepaintRecord InspectRepaints(const QWidget* widget);
