// The application-wide event filter that turns the operator's left-button
// presses and releases (and keyboard activation of command buttons) into
// control events, before the widgets see them.
//
// - Any control with a callback: a left press delivers "left press" (3) first;
//   the widget reacts only afterwards, and only if the control is still active.
// - Command button: the filter completes the click itself. The release over the
//   button delivers "commit" (1), also when the press handler dimmed it. A
//   release that arrives while the press handler still runs (it may wait for
//   seconds, processing events) is held back: the commit follows once the
//   press handler has returned. When the press handler returns with the
//   button already up but its release unseen (a modal dialog opened by the
//   handler took it), the click is cancelled: no commit, the button released.
//   Space or Enter on a focused button delivers 3 then 1.
// - Other kinds: a release that arrives while their press handler runs ends
//   the click; the widget then sees neither half of it.
// - The mouse wheel reaches a spin box, ring or slide only while it has the
//   keyboard focus of its window; otherwise the wheel event is dropped.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QObject>

class PressFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installs the filter on the application (once).
void InstallPressFilter();
