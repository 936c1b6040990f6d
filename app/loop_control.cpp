#include "app/loop_control.h"

#include "app/vantrel.h"
#include "display/controls.h"
#include "param/params.h"
#include "param/transfer.h"
#include "runtime/userint.h"

void ForceStoreToRam() {
  SelectStore(RAM);
}

void DimLoopButtons(int dimmed) {
  SetCtrlAttribute(panelHandle, BTNGet, UI_ATTR_DIMMED, dimmed);
  SetCtrlAttribute(panelHandle, BTNData, UI_ATTR_DIMMED, dimmed);
  SetCtrlAttribute(panelHandle, BTNRun, UI_ATTR_DIMMED, dimmed);
}

void DimBackgroundTeach(int dimmed) {
  SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, dimmed);
  SetCtrlAttribute(panelPopUp, LED_TeachBackGround, UI_ATTR_DIMMED, dimmed);
}

void GuardLoopCommands(int running) {
  SetCtrlAttribute(panelHandle, BTNTeach, UI_ATTR_DIMMED, running);
  SetCtrlAttribute(panelHandle, DropDCom, UI_ATTR_DIMMED, running);
  if (running == 1 || bMode == 2) DimBackgroundTeach(running);
}

int CC_BTNStop(int /*panel*/, int /*control*/, int event, void* /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
  if (event != UI_EVENT_LEFT_PRESS) return 0;
  stop_flag = 1;
  DimLoopButtons(0);
  if (bMode == 2) DimBackgroundTeach(0);
  return 0;
}
