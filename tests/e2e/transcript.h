// The whole state an operator scenario can change, as lines of text: every
// control of both panels (value as a screen reader reads it, dimmed, visible),
// the graphs' cursors and display lists, and the program's variables. A
// transcript shows it whole once and then, after each step, the lines that
// changed, so a rule that must leave something alone is seen by its absence.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/popup.h"
#include "app/vantrel.h"
#include "display/controls.h"
#include "display/data_curve.h"
#include "display/scope.h"
#include "fields/words.h"
#include "link/data_block.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "param/transfer.h"
#include "protocol/orders.h"
#include "runtime/testing/inspect.h"
#include "runtime/userint.h"

namespace transcript {

// Ordered by key: "main.NEDITPower", "settings.RING_CCDMode", "var.power".
using State = std::map<std::string, std::string>;

inline std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

inline std::string Number(double value) {
  return Format("%g", value);
}

inline std::string Color(int rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
  return text;
}

// A plot in a line: short ones with every point, the video line and the
// threshold by their extent and a sum that changes with any sample.
inline std::string DescribePlot(const GraphPlotInfo& plot) {
  if (plot.kind == GraphPlotKind::Rectangle) {
    std::string text = "rectangle " + Color(plot.color) + " fill " + Color(plot.fillColor);
    for (size_t i = 0; i < plot.x.size() && i < plot.y.size(); ++i)
      text += " (" + Number(plot.x[i]) + "," + Number(plot.y[i]) + ")";
    return text;
  }
  std::string text = "xy " + Color(plot.color) + " style " + std::to_string(plot.plotStyle) + "/" +
                     std::to_string(plot.pointStyle) + "/" + std::to_string(plot.lineStyle) +
                     " n=" + std::to_string(plot.x.size());
  if (plot.x.size() <= 8) {
    for (size_t i = 0; i < plot.x.size() && i < plot.y.size(); ++i)
      text += " (" + Number(plot.x[i]) + "," + Number(plot.y[i]) + ")";
    return text;
  }
  double sum = 0, low = plot.y.empty() ? 0 : plot.y[0], high = low;
  for (double y : plot.y) {
    sum += y;
    low = std::min(low, y);
    high = std::max(high, y);
  }
  double xsum = 0;
  for (double x : plot.x) xsum += x;
  text += " x " + Number(plot.x.front()) + ".." + Number(plot.x.back()) + " sum " + Number(xsum) +
          " y " + Number(low) + ".." + Number(high) + " sum " + Number(sum);
  return text;
}

inline void CaptureGraph(State* state, const std::string& key, int panel, int graph) {
  const std::vector<GraphPlotInfo> plots = InspectGraphPlots(panel, graph);
  for (size_t i = 0; i < plots.size(); ++i)
    (*state)[key + ".plot" + std::to_string(i + 1)] = DescribePlot(plots[i]);
  for (int cursor = 1; cursor <= 3; ++cursor) {
    double x = 0, y = 0;
    if (InspectGraphCursor(panel, graph, cursor, &x, &y) < 0) continue;
    (*state)[key + ".cursor" + std::to_string(cursor)] = Number(x) + "," + Number(y);
  }
  for (int axis = 0; axis <= 1; ++axis) {
    GraphAxisInfo info;
    if (InspectGraphAxis(panel, graph, axis, &info) < 0) continue;
    (*state)[key + (axis == 0 ? ".xaxis" : ".yaxis")] =
        "mode " + std::to_string(info.mode) + " " + Number(info.min) + ".." + Number(info.max);
  }
}

inline void CapturePanel(State* state, const std::string& name, int panel) {
  (*state)[name + ".shown"] = std::to_string(InspectPanelVisible(panel));
  for (const ControlInfo& control : InspectPanelControls(panel)) {
    const std::string key =
        name + "." + (control.name.empty() ? "#" + std::to_string(control.id) : control.name);
    int dimmed = 0, visible = 1;
    GetCtrlAttribute(panel, control.id, UI_ATTR_DIMMED, &dimmed);
    GetCtrlAttribute(panel, control.id, UI_ATTR_VISIBLE, &visible);
    std::string line = std::string(dimmed ? "dimmed" : "active") + (visible ? "" : " hidden");
    // The status line's texts are listed step by step, in the order shown.
    if (control.id != TEXT_Status || panel != panelHandle) {
      if (control.kind != "graph" && control.kind != "command")
        line += " \"" + InspectAccessibleValue(panel, control.id) + "\"";
    }
    (*state)[key] = line;
    if (control.kind == "graph") CaptureGraph(state, key, panel, control.id);
  }
}

inline std::string Words(const uint16_t* words, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " " : "") + std::to_string(words[i]);
  return text;
}

inline State Capture() {
  State state;
  CapturePanel(&state, "main", panelHandle);
  CapturePanel(&state, "settings", panelPopUp);
  const uint16_t* vars[] = {&power, &pwrMode, &vThd,  &bVal,  &polarity, &eMode,  &eBeg,  &eEnd,
                            &tVal,  &tTol,    &iGain, &ePoti, &ccdMode,  &pStart, &bMode, &para15};
  for (int i = 0; i < fields::kParameterWords; ++i)
    state[std::string("var.") + fields::kParameters[i].name] = std::to_string(*vars[i]);
  state["var.pp"] = Words(pp, PNUM);
  state["var.scaleF"] = Format("%.4f", scaleF);
  state["var.target"] = std::to_string(target);
  state["var.stop_flag"] = std::to_string(stop_flag);
  state["var.rx_flag"] = std::to_string(rx_flag);
  state["var.graphrefresh"] = std::to_string(graphrefresh);
  state["var.order"] = std::to_string(order);
  state["var.com"] = std::to_string(com);
  state["var.ccd"] = std::to_string(ccdtype) + " " + std::to_string(ccdmaxpixel) + " " +
                     std::to_string(ccdresolution);
  state["var.scope"] = "pix1 " + std::to_string(pix1) + " edcnt " + std::to_string(edcnt) + " mv " +
                       std::to_string(mvstart) + ".." + std::to_string(mvend);
  state["var.hidePopUp"] = std::to_string(hidePopUp);
  uint32_t sum = 0;
  for (uint16_t v : adcbuf) sum += v;
  state["var.adcbuf"] = "first " + Words(adcbuf, 4) + " sum " + std::to_string(sum);
  state["var.xArray"] = Words(xArray, 3) + " .. " + std::to_string(xArray[VIDEO_SAMPLES - 1]);
  state["var.thdArray"] = Words(thdArray, 1) + " .. " + std::to_string(thdArray[VIDEO_SAMPLES - 1]);
  return state;
}

// Every line of `state`, or the ones that differ from `before`.
inline std::string Describe(const State& state, const State* before) {
  std::string text;
  for (const auto& [key, value] : state) {
    if (before == nullptr) {
      text += "  " + key + ": " + value + "\n";
      continue;
    }
    const auto was = before->find(key);
    if (was == before->end())
      text += "  " + key + ": (new) " + value + "\n";
    else if (was->second != value)
      text += "  " + key + ": " + was->second + " -> " + value + "\n";
  }
  if (before != nullptr) {
    for (const auto& [key, value] : *before)
      if (state.find(key) == state.end()) text += "  " + key + ": gone (was " + value + ")\n";
  }
  return text;
}

// One request as the sensor received it: order, name, the 16 words.
inline std::string DescribeRequest(int order, const uint16_t* words) {
  return "  " + std::to_string(order) + " " + protocol::OrderName(order) + ": " +
         Words(words, PNUM) + "\n";
}

}  // namespace transcript
