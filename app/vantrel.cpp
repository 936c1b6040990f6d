#include "app/vantrel.h"

#include <cstdio>

#include "app/data_loop.h"
#include "app/loop_control.h"
#include "app/parameter_callbacks.h"
#include "app/popup.h"
#include "app/run_loop.h"
#include "app/sensor_operation.h"
#include "app/teach.h"
#include "display/controls.h"
#include "display/data_curve.h"
#include "display/display_unit.h"
#include "display/panel_values.h"
#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "param/params.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

int32_t stop_flag = 1;
int32_t startCom = 1;
const char* const PANEL_RESOURCE = "Vantrel.uir";

namespace {
constexpr int MAIN_PANEL = 1;
constexpr int SETTINGS_PANEL = 2;
constexpr int INFO_TEXT_COLOR = 0x0080FF;
constexpr int INFO_TEXT_BGCOLOR = 0xFFFFFF;

// The engine has said why on stderr already; someone who started the program
// from a desktop menu never sees that, so it is said in a box too.
void ReportPanelResourceFault() {
  char reason[512];
  GetPanelLoadError(reason, sizeof reason);
  MessagePopup("Vantrel cannot start", reason);
}

}  // namespace

void ShowInfoText(const char* text, int left, int top, int pointSize) {
  const int id = NewCtrl(panelHandle, UI_CTRL_TEXT_MSG, "", top, left);
  SetCtrlAttribute(panelHandle, id, UI_ATTR_TEXT_FONT, "AppFont");
  SetCtrlAttribute(panelHandle, id, UI_ATTR_TEXT_COLOR, INFO_TEXT_COLOR);
  SetCtrlAttribute(panelHandle, id, UI_ATTR_TEXT_BGCOLOR, INFO_TEXT_BGCOLOR);
  SetCtrlAttribute(panelHandle, id, UI_ATTR_TEXT_POINT_SIZE, pointSize);
  SetCtrlVal(panelHandle, id, text);
}

void ShowPortInTitle() {
  char title[300];
  std::snprintf(title, sizeof title, "Vantrel - COM%d (%s)", static_cast<int>(com),
                ComPortDevice(com));
  SetPanelAttribute(panelHandle, UI_ATTR_TITLE, title);
}

void InitVars() {
  SetParameterDefaults();
  com = startCom;
  com232::sync = TXSYNC;
  order = ORD_WRITE_RAM;
  target = RAM;
  rx_flag = 0;
  stop_flag = 1;
  SetStatusText("InitVars");
  ShowStatusText();
  SetCtrlVal(panelHandle, BINSWITCH_UM, 1);
  StartDisplayUnit();
  SetCtrlVal(panelPopUp, BIN_Sw_EnableTol, 1);

  ShowInfoText("PC-SOFTWARE: Q-VOR Series", 15, 8, 11);
  ShowInfoText("Vendrix GmbH", 15, 21, 11);
  ShowInfoText("Tel: +44 20 7946 0321", 15, 36, 11);
  ShowInfoText("Vantrel", 175, 30, 18);
  ShowInfoText("V1.21", 320, 36, 11);

  // The controls' initial values replace the defaults; no sensor holds them.
  ApplyEntryRanges();
  GetPanelValues();
  NoteSetOrigin(SET_UNREAD, RAM);

  DeleteGraphPlot(panelHandle, GRAPH_Scope, UI_ALL_PLOTS, UI_REDRAW_NONE);
  SetGraphCursor(panelHandle, GRAPH_Scope, 1, tVal, 1.0);
  SetGraphCursor(panelHandle, GRAPH_Scope, 2, eBeg, 1.0);
  SetGraphCursor(panelHandle, GRAPH_Scope, 3, eEnd, 1.0);
  // Signed on purpose: a tolerance wider than the teach value starts left of 0.
  const int bandLeft = static_cast<int>(tVal) - static_cast<int>(tTol);
  const int bandRight = static_cast<int>(tVal) + static_cast<int>(tTol);
  PlotRectangle(panelHandle, GRAPH_Scope, bandLeft, 0.0, bandRight, 0.25, COLOR_BAND, COLOR_BAND);

  for (int i = 0; i < VIDEO_SAMPLES; ++i) {
    xArray[i] = static_cast<uint16_t>(4 * i);
    thdArray[i] = vThd;
  }
}

int CC_PANEL(int /*panel*/, int event, void* /*callbackData*/, int /*eventData1*/,
             int /*eventData2*/) {
  if (event != UI_EVENT_CLOSE) return 0;
  // A running acquisition loop ends first, as Stop would end it; the event loop
  // then returns as soon as the loop's callback has.
  stop_flag = 1;
  QuitUserInterface(0);
  return 0;
}

void RegisterCallbacks() {
  RegisterPanelCallback("CC_PANEL", CC_PANEL);
  RegisterCtrlCallback("CC_BTNRun", CC_BTNRun);
  RegisterCtrlCallback("CC_BTNStop", CC_BTNStop);
  RegisterCtrlCallback("CC_BTNData", CC_BTNData);
  RegisterTransferCallbacks();
  RegisterPanelCallback("CC_POPUP_PANEL", CC_POPUP_PANEL);

  RegisterCtrlCallback("CC_ButtonTeach", CC_ButtonTeach);
  RegisterCtrlCallback("CC_BTNTeachBackGround", CC_BTNTeachBackGround);

  RegisterCtrlCallback("CC_NEDITVideoThreshold", CC_NEDITVideoThreshold);
  RegisterCtrlCallback("CC_DropDEvalmode", CC_DropDEvalmode);
  RegisterCtrlCallback("CC_DropDCom", CC_DropDCom);
  RegisterCtrlCallback("CC_NEDITEdgeLeft", CC_NEDITEdgeLeft);
  RegisterCtrlCallback("CC_NEDITEdgeRight", CC_NEDITEdgeRight);
  RegisterCtrlCallback("CC_BINSWITCH_UM", CC_BINSWITCH_UM);
  RegisterCtrlCallback("CC_BTN_CCDSettings", CC_BTN_CCDSettings);

  RegisterCtrlCallback("CC_BIN_Switch_VGain", CC_BIN_Switch_VGain);
  RegisterCtrlCallback("CC_NSLIDE_PixelStart", CC_NSLIDE_PixelStart);
  RegisterCtrlCallback("CC_RING_CCDMode", CC_RING_CCDMode);
  RegisterCtrlCallback("CC_RING_CCDBGMode", CC_RING_CCDBGMode);
  RegisterCtrlCallback("CC_BIN_Sw_EnableTol", CC_BIN_Sw_EnableTol);
  RegisterCtrlCallback("CC_NEDITTolerance", CC_NEDITTolerance);
  RegisterCtrlCallback("CC_NEDITTeach", CC_NEDITTeach);
  RegisterCtrlCallback("CC_NUM_ScalFact", CC_NUM_ScalFact);
}

int StartUp(int argc, char** argv, const char* resourceFile) {
  if (!InitRuntime(argc, argv)) return -1;
  RegisterCallbacks();
  // The whole file is checked at the first load, so nothing has been shown
  // yet when it is refused.
  panelHandle = LoadPanel(0, resourceFile, MAIN_PANEL);
  if (panelHandle >= 0) {
    panelPopUp = LoadPanel(panelHandle, resourceFile, SETTINGS_PANEL);
    if (panelPopUp < 0) DiscardPanel(panelHandle);
  }
  if (panelHandle < 0 || panelPopUp < 0) {
    ReportPanelResourceFault();
    return -1;
  }
  GetProjectDir(proj_dir, sizeof proj_dir);
  InitVars();
  // The window is up while the link comes up (3 s with a silent sensor); the
  // bring-up's waits process events, so it paints and shows each step, with
  // the commands that would talk to the sensor dimmed until it has ended.
  BeginSensorOperation(OPERATION_BRING_UP);
  ShowStatus("Init COM-Port ...");
  SetCtrlVal(panelHandle, DropDCom, static_cast<int>(com));
  ShowPortInTitle();
  DisplayPanel(panelHandle);
  InitRS232(com);
  EndSensorOperation();
  return 0;
}

void ShutDown() {
  CloseCom(com);
  DiscardPanel(panelPopUp);
  DiscardPanel(panelHandle);
}

int WinMain(int argc, char** argv) {
  if (StartUp(argc, argv, PANEL_RESOURCE) < 0) return -1;
  RunUserInterface();
  ShutDown();
  return 0;
}
