// Test seam for tests that drive widgets with Qt's own test events (QTest key
// and mouse events): the widgets behind a panel and a control. The program
// never uses this.
#pragma once

class QWidget;

// The panel's window, or nullptr.
QWidget* InspectPanelWindow(int panel);
// The part of the control the operator works with (spin box, button, graph,
// ...), or nullptr.
QWidget* InspectControlWidget(int panel, int control);
