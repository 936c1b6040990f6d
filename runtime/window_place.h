// Where a window opens beside another one (a feature's window or the settings
// panel beside the main panel), for the engine and for feature layers.
//
// The window goes right of the other if the screen has room there, else left
// of it, top edges level. Without room for its whole width on either side it
// takes the wider side when that leaves it at least `least` wide (it is made
// narrower); without that either, it lies over the other window's left part
// (the graphs of the main panel), never over its right-hand controls. It stays
// on the screen in every case.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// The outer rectangle (window frame included) for a window of outer size
// `outer`, at least `least` wide, beside the outer rectangle `other`, on the
// screen's available rectangle `screen`.
QRect PlaceBeside(QSize outer, int least, QRect other, QRect screen);

// Moves (and, when it must, narrows) `window` beside `other` on the screen
// `other` is on. Call it before the window is first shown.
void PlaceWindowBeside(QWidget* window, const QWidget* other);
