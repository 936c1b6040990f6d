// vantrel-docshot: the picture of both panels for the documentation, taken from
// the real program right after its start-up against the simulated sensor.
//
//   vantrel-docshot Vantrel.uir out.png
//
// The program starts as usual (COM1 is the simulator's pseudo-terminal), the
// settings panel is shown beside the main panel, and both are saved once the
// bring-up has finished and the graphs have been painted.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/vantrel.h"
#include "display/controls.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "sim/sim_thread.h"
#include "tools/panel_image.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vantrel-docshot <panel resource> <out.png>\n");
    return 2;
  }
  sim::SimThread sensor{sim::Config{}};
  std::string error;
  if (!sensor.Start(&error)) {
    std::fprintf(stderr, "vantrel-docshot: simulated sensor: %s\n", error.c_str());
    return 1;
  }
  setenv("VANTREL_COM1", sensor.SlavePath().c_str(), 1);
  if (StartUp(argc, argv, argv[1]) != 0) return 1;
  DisplayPanel(panelPopUp);
  const double start = Timer();
  while (Timer() - start < 0.5) ProcessSystemEvents();
  const int result = SavePanelsSideBySide(panelHandle, panelPopUp, argv[2]);
  ShutDown();
  sensor.Stop();
  return result == 0 ? 0 : 1;
}
