#include "tests/engine/ui_recorder.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

#include "runtime/testing/resource_path.h"
#include "runtime/userint.h"

namespace uitest {
namespace {

std::map<int, Hook>& Hooks() {
  static std::map<int, Hook> hooks;
  return hooks;
}

void RunHook(int panel, int control, int event) {
  const auto it = Hooks().find(control);
  if (it == Hooks().end()) return;
  const Hook hook = it->second;  // the hook may replace itself
  hook(panel, control, event);
}

int RecordCtrl(int panel, int control, int event, void*, int, int) {
  Events().push_back(Event{panel, control, event});
  RunHook(panel, control, event);
  return 0;
}

int RecordPanel(int panel, int event, void*, int, int) {
  Events().push_back(Event{panel, 0, event});
  RunHook(panel, 0, event);
  return 0;
}

const char* const kKindsJson = R"({
  "format": "vantrel-panel-resource", "version": 1,
  "panels": [
    { "number": 1, "name": "Kinds", "title": "Kinds", "width": 640, "height": 480,
      "callback": "RecPanel",
      "controls": [
        { "id": 1, "name": "Count", "kind": "numeric", "mode": "edit", "type": "u16", "label": "Count",
          "left": 10, "top": 10, "width": 120, "height": 44, "value": 5, "min": 0, "max": 1000,
          "callback": "Rec" },
        { "id": 2, "name": "Factor", "kind": "numeric", "mode": "edit", "type": "float",
          "label": "Factor", "left": 140, "top": 10, "width": 120, "height": 44, "value": 1.0,
          "min": 0.8, "max": 1.2, "step": 0.001, "precision": 3, "callback": "Rec" },
        { "id": 3, "name": "Readout", "kind": "numeric", "mode": "indicator", "type": "u16",
          "label": "Readout", "left": 270, "top": 10, "width": 120, "height": 44, "value": 7,
          "callback": "Rec" },
        { "id": 4, "name": "Start", "kind": "slide", "label": "Start", "left": 10, "top": 60,
          "width": 300, "height": 50, "value": 1, "min": 0, "max": 1023, "callback": "Rec" },
        { "id": 5, "name": "Mode", "kind": "switch", "label": "Mode", "onText": "auto",
          "offText": "fixed", "left": 320, "top": 60, "width": 120, "height": 44, "value": 0,
          "callback": "Rec" },
        { "id": 6, "name": "Ram", "kind": "radio", "label": "RAM", "left": 10, "top": 120,
          "width": 90, "height": 24, "value": 1, "callback": "Rec" },
        { "id": 17, "name": "Eeprom", "kind": "radio", "label": "EEPROM", "left": 110, "top": 120,
          "width": 90, "height": 24, "value": 0, "callback": "Rec" },
        { "id": 7, "name": "Lamp", "kind": "led", "label": "lamp", "left": 210, "top": 120,
          "width": 90, "height": 24, "value": 0 },
        { "id": 8, "name": "HotLamp", "kind": "led", "mode": "edit", "label": "hot lamp",
          "left": 310, "top": 120, "width": 90, "height": 24, "value": 0, "callback": "Rec" },
        { "id": 9, "name": "Choice", "kind": "ring", "style": "ring", "label": "Choice",
          "left": 10, "top": 150, "width": 160, "height": 44, "value": 1,
          "items": [ { "value": 0, "text": "zero" }, { "value": 1, "text": "one" },
                     { "value": 2, "text": "two" } ], "callback": "Rec" },
        { "id": 10, "name": "Port", "kind": "ring", "style": "dropdown", "label": "Port",
          "left": 180, "top": 150, "width": 200, "height": 44, "value": 1, "items": "com-ports",
          "callback": "Rec" },
        { "id": 11, "name": "Go", "kind": "command", "label": "Go", "left": 390, "top": 160,
          "width": 80, "height": 30, "callback": "Rec" },
        { "id": 15, "name": "Plain", "kind": "command", "label": "Plain", "left": 480, "top": 160,
          "width": 80, "height": 30 },
        { "id": 12, "name": "Status", "kind": "text", "label": "Status", "left": 10, "top": 200,
          "width": 600, "height": 40, "value": "ready" },
        { "id": 13, "name": "Info", "kind": "textbox", "label": "Info", "left": 10, "top": 250,
          "width": 300, "height": 60, "value": "" },
        { "id": 16, "name": "Offset", "kind": "numeric", "mode": "edit", "type": "int",
          "label": "Offset", "left": 320, "top": 250, "width": 120, "height": 44, "value": 0,
          "min": -100, "max": 100, "callback": "Rec" },
        { "id": 14, "name": "Scope", "kind": "graph", "label": "Scope", "left": 10, "top": 320,
          "width": 300, "height": 150, "xAxis": { "label": "pixel", "min": 0, "max": 1024 },
          "yAxis": { "label": "", "min": 0, "max": 1, "ticks": false },
          "cursors": [ { "color": "0xFFD600", "label": "T" }, { "color": "0x40C4FF", "label": "L" },
                       { "color": "0x40C4FF", "label": "R" } ] },
        { "id": 18, "name": "Curve", "kind": "graph", "label": "Curve", "left": 320, "top": 320,
          "width": 300, "height": 150, "xAxis": { "label": "pixel", "min": 1, "max": 1024 },
          "yAxis": { "label": "counts", "min": 0, "max": 1023 } }
      ] },
    { "number": 2, "name": "Child", "title": "Child", "width": 200, "height": 100,
      "left": 30, "top": 40,
      "controls": [
        { "id": 1, "name": "Ok", "kind": "command", "label": "OK", "left": 10, "top": 10,
          "width": 80, "height": 30, "callback": "Rec" } ] },
    { "number": 3, "name": "Other", "title": "Other", "width": 200, "height": 100,
      "callback": "RecPanel", "controls": [] }
  ] })";

}  // namespace

std::vector<Event>& Events() {
  static std::vector<Event> events;
  return events;
}

void ClearEvents() {
  Events().clear();
}

void Mark(int marker) {
  Events().push_back(Event{0, 0, marker});
}

std::vector<int> EventsOf(int control) {
  std::vector<int> out;
  for (const Event& e : Events())
    if (e.control == control && e.event > 0) out.push_back(e.event);
  return out;
}

void SetHook(int control, Hook hook) {
  Hooks()[control] = std::move(hook);
}
void ClearHooks() {
  Hooks().clear();
}

void RegisterRecorders() {
  RegisterCtrlCallback("Rec", RecordCtrl);
  RegisterPanelCallback("RecPanel", RecordPanel);
  RegisterPanelCallback("CC_PANEL", RecordPanel);
  for (const char* name : {"CC_DropDCom",         "CC_BTN_CCDSettings",
                           "CC_BTNRun",           "CC_BTNStop",
                           "CC_BTNData",          "CC_ButtonTeach",
                           "CC_BINSWITCH_UM",     "CC_NEDITVideoThreshold",
                           "CC_DropDEvalmode",    "CC_NEDITEdgeLeft",
                           "CC_NEDITEdgeRight",   "CC_RBTRam",
                           "CC_RBTEeprom",        "CC_RBTFile",
                           "CC_BTNGet",           "CC_BTNSend",
                           "CC_RING_CCDMode",     "CC_NSLIDE_PixelStart",
                           "CC_RING_CCDBGMode",   "CC_BTNTeachBackGround",
                           "CC_BIN_Switch_VGain", "CC_BIN_Sw_EnableTol",
                           "CC_NEDITTeach",       "CC_NEDITTolerance",
                           "CC_NUM_ScalFact"})
    RegisterCtrlCallback(name, RecordCtrl);
}

std::string TempDir() {
  static std::string dir;
  if (dir.empty()) {
    char pattern[] = "/tmp/vantrel-ui-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    dir = made;
  }
  return dir;
}

std::string WriteTempFile(const std::string& name, const std::string& contents) {
  const std::string path = TempDir() + "/" + name;
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

std::string KindsResource() {
  static const std::string path = WriteTempFile("kinds.uir", kKindsJson);
  return path;
}

std::string RealResource() {
  return PanelResourcePath();
}

KindsPanel::KindsPanel() {
  RegisterRecorders();
  handle_ = LoadPanel(0, KindsResource().c_str(), 1);
  EXPECT_GT(handle_, 0);
  DisplayPanel(handle_);
  ClearEvents();
  ClearHooks();
}

KindsPanel::~KindsPanel() {
  ClearHooks();
  DiscardPanel(handle_);
  ProcessSystemEvents();  // the discarded window goes
}

}  // namespace uitest
