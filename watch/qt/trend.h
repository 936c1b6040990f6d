// The trend and Freeze on the main panel: "Trend" (Ctrl+T) opens or raises
// the trend window, the checkable "Freeze" (Ctrl+F) holds both graphs and the
// trend on screen while acquisition goes on. Both buttons sit on the scope's
// title row, right of its title; the trend window has a Freeze toggle of its
// own bound to the same state.
#pragma once

// Called with the application there: the buttons appear on the main panel
// when it is shown (and on every new main panel), and the trend watches every
// Run from now on. Needs the line monitor installed to see the line.
void InstallTrend();
// Releases Freeze, removes the buttons and closes the window. For tests,
// which install it afresh each time.
void UninstallTrend();
