// The windows that feature layers open beside the panels (the line monitor,
// the trend, Compare): one keyboard and screen-reader behaviour for all.
//
// A prepared window is read by assistive technology as a window (a frame)
// named by its title; Escape closes it (hides it: it keeps its state for the
// next opening). Each time it opens, the keyboard focus starts on its first
// command, or on the next that can take it when that one is dimmed or hidden;
// the first time, it opens beside the main panel (window_place.h).
#pragma once

class QAbstractItemView;
class QWidget;

// Call once, after the window's widgets exist.
void PrepareFeatureWindow(QWidget* window, QWidget* firstCommand);

// Opens a prepared window, or brings it to the front when it is open: the
// first time beside `beside` (the main panel's window; none: where the window
// system puts it).
void OpenFeatureWindow(QWidget* window, const QWidget* beside);

// Tab and Shift+Tab leave the table for the window's other controls, as in a
// form; Ctrl+Tab and Ctrl+Shift+Tab move from cell to cell inside it.
void LetTabLeaveTable(QAbstractItemView* table);
