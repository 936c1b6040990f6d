// Moving the parameter set between the panels' controls and the variables.
#pragma once

// Reads every parameter control of both panels into its variable; the scale
// factor becomes para15 in thousandths. Nothing is limited.
void GetPanelValues();

// Replaces every out-of-range parameter by its replacement value, writes all
// parameters to both panels (the teach value and tolerance displays in pixels),
// redraws the threshold line, adds the grey window frame to the scope and
// undims the controls the values call for. Processes no events.
void SetPanelValues();

// The range check alone: each parameter with an accepted range that it exceeds
// (unsigned comparison) takes its replacement value.
void CheckParameterRanges();
