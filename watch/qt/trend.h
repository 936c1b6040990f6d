// The trend and Freeze on the main panel: "Trend" (Ctrl+T) opens or raises
// the trend window, the checkable "Freeze" (Ctrl+F) holds both graphs and the
// trend on screen while acquisition goes on. Both buttons sit on the scope's
// title row, right of its title; the trend window has a Freeze toggle of its
// own bound to the same state.
#pragma once

// The buttons go into the main panel's slot when it is shown (and into every
// new main panel); the trend window is made then and watches every Run from
// then on, as the program tells them.
void InstallTrend();
// Releases Freeze, removes the buttons and closes the window. For tests,
// which install it afresh each time.
void UninstallTrend();
