#include "watch/qt/graph_readouts.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/program_face.h"
#include "fields/micrometres.h"
#include "runtime/graph_view.h"

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

int Readout(int, int graph, double x, double, char* text, size_t size, void*) {
  ProgramGraphs graphs;
  GetProgramGraphs(&graphs);
  if (graph == graphs.data) return Copy(DataReadout(x), text, size);
  ParameterSnapshot set;
  GetParameterSnapshot(&set);
  SensorIdentity sensor;
  GetSensorIdentity(&sensor);
  return Copy(ScopeReadout(x, set.micrometres == 1, sensor.ccdType), text, size);
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
  VideoLine line;
  GetVideoLine(&line);
  int nearest = 0;
  for (int i = 1; i < VIDEO_LINE; ++i)
    if (std::fabs(line.x[i] - x) < std::fabs(line.x[nearest] - x)) nearest = i;
  return "pixel " + std::to_string(PixelAt(x)) + " · level " + std::to_string(line.level[nearest]);
}

void InstallGraphReadouts() {
  ProgramGraphs graphs;
  GetProgramGraphs(&graphs);
  SetGraphReadout(graphs.panel, graphs.scope, Readout, nullptr);
  SetGraphReadout(graphs.panel, graphs.data, Readout, nullptr);
}

void RemoveGraphReadouts() {
  ProgramGraphs graphs;
  GetProgramGraphs(&graphs);
  SetGraphReadout(graphs.panel, graphs.scope, nullptr, nullptr);
  SetGraphReadout(graphs.panel, graphs.data, nullptr, nullptr);
}

}  // namespace watch
