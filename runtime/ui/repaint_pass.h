// The engine's side of the repaint throttle (runtime/repaint_throttle.h).
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

class QRegion;
class QWidget;

// Hands every paint that is due to Qt: the event loops call it before they
// wait, so that a change made between two rounds is painted in the next.
void FlushDueRepaints();

// Follows each region a throttle hands to painting, when one is set. None is
// set in the program; the test-support library sets one so that tests can
// assert what a widget asked to repaint.
using RepaintObserver = void (*)(const QWidget* widget, const QRegion& region);
// Sets the observer (nullptr: none) and returns the one set before.
RepaintObserver SetRepaintObserver(RepaintObserver observer);
