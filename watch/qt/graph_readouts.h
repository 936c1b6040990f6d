// The read-outs under the pointer on the main panel's graphs: on the scope
// the pixel, with its micrometres while the unit switch says micrometres; on
// the data graph the pixel and the video line's level there. The engine shows
// them beside the pointer and at the keyboard's marker (runtime/graph_view.h).
#pragma once

#include <cstddef>
#include <string>

namespace watch {

// The scope's text for axis position `x`: "pixel 412", or "pixel 412 · 3213 µm"
// when `micrometres` (edge positions are not scaled: pixels x pitch / 1000).
std::string ScopeReadout(double x, bool micrometres, int ccdType);
// The data graph's text for axis position `x`: "pixel 412 · level 733", the
// level being the video sample drawn nearest to x (the program's video line).
std::string DataReadout(double x);

// Installs both read-outs on the program's graphs (app/program_face.h).
void InstallGraphReadouts();
void RemoveGraphReadouts();

}  // namespace watch
