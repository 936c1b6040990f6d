#include "display/display_unit.h"

#include "display/controls.h"
#include "display/units.h"
#include "runtime/userint.h"

namespace {
constexpr int UNIT_PIXELS = 1;
constexpr char PIXEL_UNIT[] = "pixel";
constexpr char MICROMETRE_UNIT[] = "\xB5m";  // Latin-1 micro sign

struct Readout {
  int control;
  ReadoutForm form;  // the unit switch's form
};
constexpr Readout kReadouts[] = {
    {NUM_FirstEdge, ReadoutForm::kInteger},    {NUM_SecondEdge, ReadoutForm::kInteger},
    {NUM_MeasuredValue, ReadoutForm::kScaled}, {NUM_TeachValue, ReadoutForm::kScaled},
    {NUM_Tolerance, ReadoutForm::kInteger},
};
constexpr int READOUTS = sizeof kReadouts / sizeof kReadouts[0];

struct Entry {
  int32_t* panel;
  int control;
};
const Entry kEntries[] = {
    {&panelHandle, NEDITEdgeLeft},
    {&panelHandle, NEDITEdgeRight},
    {&panelPopUp, NEDITTeach},
    {&panelPopUp, NEDITTolerance},
};

// The pixels each read-out stands for, in the order of kReadouts.
uint16_t readoutPixels[READOUTS] = {};
// What the read-outs show: pixels until the switch first chooses micrometres.
int32_t readoutUnit = UNIT_PIXELS;

int ChosenUnit() {
  int unit = UNIT_PIXELS;
  GetCtrlVal(panelHandle, BINSWITCH_UM, &unit);
  return unit == UNIT_PIXELS ? UNIT_PIXELS : 0;
}

// Read-out `index` showing `pixels` in the unit the read-outs show.
void Show(int index, uint16_t pixels, ReadoutForm form) {
  uint16_t shown = pixels;
  if (readoutUnit != UNIT_PIXELS)
    shown = form == ReadoutForm::kScaled ? MicrometresScaled(pixels) : MicrometresInt(pixels);
  SetCtrlVal(panelHandle, kReadouts[index].control, shown);
}

// Brings every read-out and entry to the unit the switch chooses; `always`
// also when they show it already.
void FollowChosenUnit(bool always) {
  const int unit = ChosenUnit();
  if (unit == readoutUnit && !always) return;
  // While they show pixels the read-outs themselves say what they stand for.
  if (readoutUnit == UNIT_PIXELS) {
    for (int i = 0; i < READOUTS; ++i)
      GetCtrlVal(panelHandle, kReadouts[i].control, &readoutPixels[i]);
  }
  readoutUnit = unit;
  const char* name = unit == UNIT_PIXELS ? PIXEL_UNIT : MICROMETRE_UNIT;
  for (int i = 0; i < READOUTS; ++i) {
    Show(i, readoutPixels[i], kReadouts[i].form);
    SetCtrlShownUnit(panelHandle, kReadouts[i].control, 1, 1, name);
  }
  const double factor = unit == UNIT_PIXELS ? 1.0 : PixelPitch();
  const double divisor = unit == UNIT_PIXELS ? 1.0 : 1000.0;
  for (const Entry& entry : kEntries)
    SetCtrlShownUnit(*entry.panel, entry.control, factor, divisor, name);
}
}  // namespace

void ShowReadout(int readout, uint16_t pixels, ReadoutForm form) {
  FollowChosenUnit(false);
  for (int i = 0; i < READOUTS; ++i) {
    if (kReadouts[i].control != readout) continue;
    readoutPixels[i] = pixels;
    Show(i, pixels, form);
  }
}

void ShowInChosenUnit() {
  FollowChosenUnit(true);
}

void StartDisplayUnit() {
  readoutUnit = UNIT_PIXELS;
  FollowChosenUnit(true);
}
