#include "display/panelvalues.h"

#include "display/controls.h"
#include "display/datacurve.h"
#include "link/datablock.h"
#include "link/sensorinfo.h"
#include "param/params.h"
#include "runtime/userint.h"

void GetPanelValues() {
  GetCtrlVal(panelHandle, NUM_Power, &power);
  GetCtrlVal(panelHandle, SW_PowerMode, &pwrMode);
  GetCtrlVal(panelHandle, NEDITVideoThreshold, &vThd);
  GetCtrlVal(panelHandle, SW_Polarity, &polarity);
  GetCtrlVal(panelHandle, DropDEvalmode, &eMode);
  GetCtrlVal(panelHandle, NEDITEdgeLeft, &eBeg);
  GetCtrlVal(panelHandle, NEDITEdgeRight, &eEnd);

  GetCtrlVal(panelPopUp, NEDITTeach, &tVal);
  GetCtrlVal(panelPopUp, NEDITTolerance, &tTol);
  GetCtrlVal(panelPopUp, NUM_BGValue, &bVal);
  GetCtrlVal(panelPopUp, BIN_Switch_VGain, &iGain);
  GetCtrlVal(panelPopUp, BIN_Sw_EnableTol, &ePoti);
  GetCtrlVal(panelPopUp, NSLIDE_PixelStart, &pStart);
  GetCtrlVal(panelPopUp, RING_CCDMode, &ccdMode);
  GetCtrlVal(panelPopUp, RING_CCDBGMode, &bMode);

  float factor = 1.0f;
  GetCtrlVal(panelPopUp, NUM_ScalFact, &factor);
  para15 = ScaleFactorToPara15(factor);
}

void CheckParameterRanges() {
  if (power > 1000) power = 500;
  if (pwrMode > 1) pwrMode = 0;
  if (vThd > 1023) vThd = 512;
  if (bVal > 1023) bVal = 60;
  if (polarity > 1) polarity = 1;
  if (eMode > 3) eMode = 4;
  if (eBeg > 1024) eBeg = 1;
  if (eEnd > 1024) eEnd = ccdmaxpixel;
  if (tVal > 1024) tVal = 512;
  if (tTol > 512) tTol = 128;
  if (iGain > 1) iGain = 0;
  if (ePoti > 1) ePoti = 1;
  if (pStart > 1023) pStart = 1;
  if (para15 > 1200) para15 = 1200;
  if (para15 < 800) para15 = 800;
}

void SetPanelValues() {
  CheckParameterRanges();

  SetCtrlVal(panelHandle, NUM_Power, power);
  SetCtrlVal(panelHandle, SW_PowerMode, pwrMode);
  SetCtrlVal(panelHandle, NEDITVideoThreshold, vThd);
  SetCtrlVal(panelHandle, SW_Polarity, polarity);
  SetCtrlVal(panelHandle, DropDEvalmode, eMode);
  SetCtrlVal(panelHandle, NEDITEdgeLeft, eBeg);
  SetCtrlVal(panelHandle, NEDITEdgeRight, eEnd);
  SetCtrlVal(panelHandle, NUM_Tolerance, tTol);
  SetCtrlVal(panelHandle, NUM_TeachValue, tVal);

  SetCtrlVal(panelPopUp, NEDITTeach, tVal);
  SetCtrlVal(panelPopUp, NEDITTolerance, tTol);
  SetCtrlVal(panelPopUp, NUM_BGValue, bVal);
  SetCtrlVal(panelPopUp, BIN_Switch_VGain, iGain);
  SetCtrlVal(panelPopUp, BIN_Sw_EnableTol, ePoti);
  SetCtrlVal(panelPopUp, NSLIDE_PixelStart, pStart);
  SetCtrlVal(panelPopUp, NUM_PixelEnd, static_cast<uint16_t>(pStart + 255));
  SetCtrlVal(panelPopUp, RING_CCDMode, ccdMode);
  SetCtrlVal(panelPopUp, RING_CCDBGMode, bMode);
  SetCtrlVal(panelPopUp, NUM_ScalFact, para15 / 1000.0);

  SetThresholdArray(vThd);
  PlotDATACurve(adcbuf);

  // The window frame is added to whatever the scope shows; the next scope
  // picture deletes it.
  if (ccdMode == 0) {
    PlotRectangle(panelHandle, GRAPH_Scope, 0.0, 0.0, 1023.0, 1.0, COLOR_FRAME, COLOR_FRAME);
  } else {
    PlotRectangle(panelHandle, GRAPH_Scope, pStart, 0.0, pStart + 255.0, 1.0, COLOR_FRAME,
                  COLOR_FRAME);
    SetCtrlAttribute(panelPopUp, NSLIDE_PixelStart, UI_ATTR_DIMMED, 0);
    SetCtrlAttribute(panelPopUp, NUM_PixelEnd, UI_ATTR_DIMMED, 0);
  }

  // Only the states the values call for are set; the others stay as they are.
  if (ePoti == 1) SetCtrlAttribute(panelPopUp, NEDITTolerance, UI_ATTR_DIMMED, 1);
  if (bMode == 1) SetCtrlAttribute(panelPopUp, NUM_BGValue, UI_ATTR_DIMMED, 0);
  if (bMode == 2) {
    SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, 0);
    SetCtrlAttribute(panelPopUp, LED_TeachBackGround, UI_ATTR_DIMMED, 0);
  }
  if (eMode == 2) SetCtrlAttribute(panelPopUp, NUM_ScalFact, UI_ATTR_DIMMED, 0);
}
