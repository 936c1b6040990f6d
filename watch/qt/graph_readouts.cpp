#include "watch/qt/graph_readouts.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "display/controls.h"
#include "display/data_curve.h"
#include "fields/micrometres.h"
#include "link/data_block.h"
#include "link/sensor_info.h"
#include "runtime/graph_view.h"
#include "runtime/userint.h"

namespace watch {
namespace {

uint16_t PixelAt(double x) {
  const double rounded = std::lround(x);
  if (rounded < 0) return 0;
  if (rounded > UINT16_MAX) return UINT16_MAX;
  return static_cast<uint16_t>(rounded);
}

int Copy(const std::string& text, char* out, size_t size) {
  if (size == 0) return -1;
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return 0;
}

int Readout(int panel, int graph, double x, double, char* text, size_t size, void*) {
  if (graph == GRAPH_Data) return Copy(DataReadout(x), text, size);
  int pixels = 1;
  GetCtrlVal(panel, BINSWITCH_UM, &pixels);
  return Copy(ScopeReadout(x, pixels == 0, ccdtype), text, size);
}

}  // namespace

std::string ScopeReadout(double x, bool micrometres, int ccdType) {
  const uint16_t pixel = PixelAt(x);
  std::string text = "pixel " + std::to_string(pixel);
  if (micrometres)
    text += " · " + std::to_string(fields::MicrometresInt(pixel, fields::PixelPitchNm(ccdType))) +
            " µm";
  return text;
}

std::string DataReadout(double x) {
  int nearest = 0;
  for (int i = 1; i < VIDEO_SAMPLES; ++i)
    if (std::fabs(xArray[i] - x) < std::fabs(xArray[nearest] - x)) nearest = i;
  return "pixel " + std::to_string(PixelAt(x)) + " · level " + std::to_string(adcbuf[nearest]);
}

void InstallGraphReadouts() {
  SetGraphReadout(panelHandle, GRAPH_Scope, Readout, nullptr);
  SetGraphReadout(panelHandle, GRAPH_Data, Readout, nullptr);
}

void RemoveGraphReadouts() {
  SetGraphReadout(panelHandle, GRAPH_Scope, nullptr, nullptr);
  SetGraphReadout(panelHandle, GRAPH_Data, nullptr, nullptr);
}

}  // namespace watch
