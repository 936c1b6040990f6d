// The sensor's 16 parameters, one variable each, and the parameter package `pp`
// that carries them to and from the sensor and the parameter file.
//
// All parameters are raw sensor units held as unsigned 16-bit words: positions
// in pixels, levels in counts 0..1023, switches 0/1, the scale factor in
// thousandths. Nothing here checks a range; the one range check is made when
// the values are written to the panels.
#pragma once

#include <cstdint>

constexpr int32_t PNUM = 16;            // words in a frame, the package and the file
constexpr int32_t PPITCH = 7800;        // pixel pitch of the 7.8 um line, nanometres
constexpr int32_t PPITCH_25UM = 25000;  // pixel pitch of the 25 um lines, nanometres

// Package order = index of each variable in pp, in the frame and in the file.
extern uint16_t power;     // 0  power value
extern uint16_t pwrMode;   // 1  power mode switch
extern uint16_t vThd;      // 2  video threshold, counts
extern uint16_t bVal;      // 3  background value, counts
extern uint16_t polarity;  // 4  polarity switch
extern uint16_t eMode;     // 5  evaluation mode (2 = width with scale factor)
extern uint16_t eBeg;      // 6  left limit of the edge evaluation, pixel
extern uint16_t eEnd;      // 7  right limit of the edge evaluation, pixel
extern uint16_t tVal;      // 8  teach value (set-point), pixel
extern uint16_t tTol;      // 9  tolerance around the teach value, pixels
extern uint16_t iGain;     // 10 gain switch
extern uint16_t ePoti;     // 11 tolerance-enable switch
extern uint16_t ccdMode;   // 12 CCD mode: 0 whole line, 1 window from pStart, 2 window by sensor
extern uint16_t pStart;    // 13 first pixel of the 256-pixel window
extern uint16_t bMode;     // 14 background mode: 1 value bVal, 2 taught background
extern uint16_t para15;    // 15 scale factor in thousandths (1000 = 1.000)

// The package: parameters between CopyVarsToPP and the frame that follows, and
// the receive area of every 36-byte reply (then it may hold measurement words).
extern uint16_t pp[PNUM];

// Scale factor in force for the micrometre displays of measured and teach value.
extern float scaleF;

// Assigns every parameter variable its default.
void SetParameterDefaults();
// Copies the 16 variables into pp (word i from the variable with index i), and back.
// No conversion and no check.
void CopyVarsToPP();
void CopyPPtoVars();
// The variable with package index `index` (0..PNUM-1).
uint16_t* ParameterVariable(int index);

// Scale factor from the panel's value to thousandths: value x 1000 rounded to
// single precision, truncated toward zero, low 16 bits (0.9 -> 900, 1.009 -> 1008).
uint16_t ScaleFactorToPara15(float factor);
