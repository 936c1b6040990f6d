// The unit the main panel's unit switch chooses, on every control that holds a
// pixel quantity: the five read-outs of the main panel and the four entries of
// the evaluation window, the teach value and the tolerance. Each shows its unit
// beside the number ("512 pixel", "3993 µm").
//
// The read-outs show the number the program writes, micrometres by their own
// form (units.h); each keeps the pixels it stands for, so a change of unit
// converts what it shows now. The entries keep pixels whatever they show:
// typed micrometres become the nearest pixel, and the variables, the package
// and the files only ever see pixels.
#pragma once

#include <cstdint>

// How a read-out's pixels become micrometres: the integer form (edges,
// tolerance) or the scaled form (measured and teach value).
enum class ReadoutForm { kInteger, kScaled };

// Shows `pixels` in the main-panel read-out `readout` (NUM_FirstEdge,
// NUM_SecondEdge, NUM_MeasuredValue, NUM_TeachValue or NUM_Tolerance) in the
// unit the switch chooses, micrometres in `form`, and keeps the pixels.
void ShowReadout(int readout, uint16_t pixels, ReadoutForm form);

// Shows every read-out and entry in the unit the switch chooses now: the
// read-outs from the pixels they stand for (edges and tolerance in the integer
// form, measured and teach value scaled), the entries at the line's pitch.
void ShowInChosenUnit();

// At start-up, with the switch at pixels: the read-outs stand for the values
// the panel resource gave them, and every read-out and entry shows its unit.
void StartDisplayUnit();
