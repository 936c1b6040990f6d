#include "watch/qt/freeze.h"

#include <string>

#include "app/program_face.h"
#include "runtime/graph_view.h"

namespace watch {
namespace {

// Returns 0, or the first error of the two graphs.
int FreezeGraphs(bool frozen) {
  int error = 0;
  ProgramGraphs graphs;
  GetProgramGraphs(&graphs);
  for (int graph : {graphs.scope, graphs.data}) {
    const int result = SetGraphFrozen(graphs.panel, graph, frozen ? 1 : 0);
    if (result < 0 && error == 0) error = result;
  }
  return error;
}

}  // namespace

Freeze::~Freeze() {
  // The panel may be gone already (the program ended); then nothing is held.
  if (frozen_) FreezeGraphs(false);
}

void Freeze::setFrozen(bool frozen) {
  if (frozen == frozen_) return;
  frozen_ = frozen;
  const int error = FreezeGraphs(frozen);
  if (error != 0) {
    const std::string text = std::string(frozen ? "Freeze" : "Release") +
                             ": the graphs could not be reached (error " + std::to_string(error) +
                             ")";
    SayInStatusLine(text.c_str());
  }
  emit changed(frozen);
}

}  // namespace watch
