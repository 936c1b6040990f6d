#include "display/panel_values.h"

#include <cstdio>

#include "app/sensor_operation.h"
#include "display/controls.h"
#include "display/data_curve.h"
#include "display/display_unit.h"
#include "display/scope.h"
#include "link/data_block.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "param/range_check.h"
#include "protocol/parameter_ranges.h"
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

  windowFromShown = eBeg;
  windowToShown = eEnd;
}

int32_t rangeReplaced = 0;
uint16_t windowFromShown = 1;
uint16_t windowToShown = 512;
char valueSource[32] = "From the sensor";

namespace {
// Panel and control of each parameter, by package index.
struct ParameterControl {
  int* panel;
  int control;
};
const ParameterControl kControls[PNUM] = {
    {&panelHandle, NUM_Power},           {&panelHandle, SW_PowerMode},
    {&panelHandle, NEDITVideoThreshold}, {&panelPopUp, NUM_BGValue},
    {&panelHandle, SW_Polarity},         {&panelHandle, DropDEvalmode},
    {&panelHandle, NEDITEdgeLeft},       {&panelHandle, NEDITEdgeRight},
    {&panelPopUp, NEDITTeach},           {&panelPopUp, NEDITTolerance},
    {&panelPopUp, BIN_Switch_VGain},     {&panelPopUp, BIN_Sw_EnableTol},
    {&panelPopUp, RING_CCDMode},         {&panelPopUp, NSLIDE_PixelStart},
    {&panelPopUp, RING_CCDBGMode},       {&panelPopUp, NUM_ScalFact},
};
// "From the file: 5000 is outside 0..1000, shown as 500" (the scale factor in
// its own unit).
void CorrectionNote(int index, uint16_t held, char* note, size_t size) {
  uint16_t low = 0, high = 0;
  AcceptedRange(index, &low, &high);
  const uint16_t shown = *ParameterVariable(index);
  if (index == PARA15) {
    std::snprintf(note, size, "%s: %.3f is outside %.3f..%.3f, shown as %.3f", valueSource,
                  held / 1000.0, low / 1000.0, high / 1000.0, shown / 1000.0);
  } else {
    std::snprintf(note, size, "%s: %u is outside %u..%u, shown as %u", valueSource, held, low, high,
                  shown);
  }
}

void MarkCorrections(const uint16_t* held) {
  for (int i = 0; i < PNUM; ++i) {
    char note[128] = "";
    if (held[i] != *ParameterVariable(i)) CorrectionNote(i, held[i], note, sizeof note);
    SetCtrlAttribute(*kControls[i].panel, kControls[i].control, UI_ATTR_CORRECTION_NOTE, note);
  }
}
}  // namespace

void ApplyEntryRanges() {
  // The numeric entries; the switches, rings and the slide offer nothing else.
  constexpr int kEntries[] = {0, 2, 3, 6, 7, 8, 9};
  for (int index : kEntries) {
    uint16_t low = 0, high = 0;
    AcceptedRange(index, &low, &high);
    SetCtrlAttribute(*kControls[index].panel, kControls[index].control, UI_ATTR_MAX_VALUE, high);
  }
}

void SetPanelValues() {
  uint16_t held[PNUM];
  for (int i = 0; i < PNUM; ++i) held[i] = *ParameterVariable(i);
  rangeReplaced = CheckParameterRanges();

  SetCtrlVal(panelHandle, NUM_Power, power);
  SetCtrlVal(panelHandle, SW_PowerMode, pwrMode);
  SetCtrlVal(panelHandle, NEDITVideoThreshold, vThd);
  SetCtrlVal(panelHandle, SW_Polarity, polarity);
  SetCtrlVal(panelHandle, DropDEvalmode, eMode);
  SetCtrlVal(panelHandle, NEDITEdgeLeft, eBeg);
  SetCtrlVal(panelHandle, NEDITEdgeRight, eEnd);
  // In pixels: every caller has set the unit switch to pixels.
  ShowReadout(NUM_Tolerance, tTol, ReadoutForm::kInteger);
  ShowReadout(NUM_TeachValue, tVal, ReadoutForm::kScaled);

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

  MarkCorrections(held);
  windowFromShown = eBeg;
  windowToShown = eEnd;

  SetThresholdArray(vThd);
  PlotDATACurve(adcbuf);

  // The scope shows the set: its window frame, band and cursors; the next
  // measurement's picture replaces it.
  PlotSetOnScope(tVal, tTol, eBeg, eEnd);
  if (ccdMode != 0) {
    SetCtrlAttribute(panelPopUp, NSLIDE_PixelStart, UI_ATTR_DIMMED, 0);
    SetCtrlAttribute(panelPopUp, NUM_PixelEnd, UI_ATTR_DIMMED, 0);
  }

  // Only the states the values call for are set; the others stay as they are.
  if (ePoti == 1) SetCtrlAttribute(panelPopUp, NEDITTolerance, UI_ATTR_DIMMED, 1);
  if (bMode == 1) SetCtrlAttribute(panelPopUp, NUM_BGValue, UI_ATTR_DIMMED, 0);
  if (bMode == 2) DimBackgroundTeach(0);
  if (eMode == 2) SetCtrlAttribute(panelPopUp, NUM_ScalFact, UI_ATTR_DIMMED, 0);
}
