// The plots of a graph's display list, in the program's terms: what was added,
// with its colours and styles, in drawing order. Plain data without Qt, so that
// the inspection seams can hand it out as it is.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <vector>

enum class GraphPlotKind { XY, Rectangle };

struct GraphPlotInfo {
  int handle = 0;
  GraphPlotKind kind = GraphPlotKind::XY;
  int color = 0;      // 0xRRGGBB (frame colour for rectangles)
  int fillColor = 0;  // rectangles only
  int plotStyle = 0, pointStyle = 0, lineStyle = 0, pointFrequency = 0;  // XY only
  std::vector<double> x, y;  // XY: the points; Rectangle: the two corners as given
};
