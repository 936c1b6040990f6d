// Viewing aids on a panel's graph, for feature layers beside the program:
// freezing the picture, zooming into it, and a read-out of the values under
// the pointer. None of them changes the graph's display list or the axes the
// program set (PlotXY, DeleteGraphPlot, SetGraphCursor and SetAxisScalingMode
// work and report as always); until a feature calls these or the operator
// zooms, the graph paints exactly as it did without them.
//
// Operator input on a graph (the graph takes the keyboard focus by Tab or a
// click, with the panel's focus ring around it):
// - the mouse wheel zooms around the pointer, on the graph with the keyboard
//   focus only (the engine's rule for the wheel); on any other graph it does
//   nothing to the graph and scrolls the panel as before;
// - a rectangle dragged with the left button zooms to it; a double-click, '0'
//   or Home returns to the program's axes; '+' and '-' zoom in and out around
//   the centre;
// - with a read-out installed: the pointer over the plot area shows the
//   read-out's text beside it; Left/Right move a read-out marker one x unit
//   (Shift: ten), Up/Down one hundredth of the y range shown (Shift: a tenth);
//   Delete hides the marker, and so does leaving the graph with the focus.
//   Escape keeps its panel meaning (the panel's escape button, Stop on the
//   main panel); only on a panel without one does it hide the marker too.
// A frozen or zoomed graph says so on its face and in its accessible
// description; while a read-out label shows, its text is the description.
//
// All run on the user-interface thread. Each returns 0 (or the state asked
// for) or a UIE_ code (runtime/userint.h): UIE_NO_SUCH_PANEL,
// UIE_NO_SUCH_CONTROL, UIE_BAD_VALUE when the control is not a graph.
#pragma once

#include <cstddef>

// Frozen (`frozen` non-zero), the graph keeps showing the picture it has now:
// changes of its display list are kept but not painted. Released, it paints
// the newest display list within one frame.
int SetGraphFrozen(int panel, int graph, int frozen);
// 1 when frozen, 0 when not.
int GraphFrozen(int panel, int graph);

// 1 when the graph shows a zoomed view, 0 when it shows the program's axes.
int GraphZoomed(int panel, int graph);
// Back to the program's axes.
int ResetGraphZoom(int panel, int graph);

// Writes the read-out for the axis values (`x`, `y`) into `text` (at most
// `textSize` bytes with its terminating zero, UTF-8) and returns 0; any other
// return shows no label for that place.
using GraphReadoutFn = int (*)(int panel, int graph, double x, double y, char* text,
                               size_t textSize, void* context);
// Installs `fn`, called with `context` (null removes the read-out and hides
// its label).
int SetGraphReadout(int panel, int graph, GraphReadoutFn fn, void* context);
