// A loaded panel: its window, its controls and its callback.
//
// A top-level panel is an ordinary window; a child panel is a tool window owned
// by its parent (it stays above the parent). The controls lie on a canvas
// inside a scroll area. When they follow the window (panel_layout.h), the
// canvas takes the window's size down to the panel's least size; otherwise it
// keeps the panel's size, centred in a larger window. A window smaller than
// the canvas scrolls. When first shown a window is made to fit its screen; a
// child panel without a position of its own opens beside its parent
// (window_place.h). Controls inside a frame belong to
// that frame (for assistive technology as well). The close button never closes
// the window by itself: it delivers the close event to the panel callback, and
// a child panel without a panel callback simply hides. Escape activates the
// panel's escape button as a click would.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

#include "runtime/ui/panels/panel_resource.h"
#include "runtime/userint.h"

class Control;
class FocusRing;
class PanelLayout;
class QGroupBox;
class QScrollArea;

class PanelWindow : public QWidget {
  Q_OBJECT
 public:
  // Builds the panel described by `spec`. `parent` is the parent panel or null.
  PanelWindow(int handle, const PanelSpec& spec, PanelWindow* parent);
  ~PanelWindow() override;

  int handle() const { return handle_; }
  const QString& name() const { return name_; }
  PanelCallbackPtr callback() const { return callback_; }
  bool isChildPanel() const { return parentPanel_ != nullptr; }
  PanelWindow* parentPanel() const { return parentPanel_; }

  // Controls in resource order, run-time controls last.
  const std::vector<Control*>& controls() const { return controls_; }
  Control* control(int id) const;
  // Adds a run-time text message; returns its id.
  int addTextMessage(const QString& text, int left, int top);
  // The widget a control's box belongs in: the innermost frame that holds
  // `area` (panel pixels) whole, else the canvas. `area` becomes relative to it.
  QWidget* containerFor(QRect* area) const;
  QWidget* canvas() const { return canvas_; }

  void showPanel();
  void hidePanel();
  // What the window's close button does.
  void requestClose();
  // Activates the escape button as a click would (press, then commit).
  // Returns false when the panel has none or it cannot take a click now.
  bool activateEscape();
  // A control that had the keyboard focus was dimmed: the focus goes to the
  // escape button (the way out of whatever was started) when it is active.
  void focusLostByDimming();
  // Marks the panel dead: it reports no more events and accepts no calls.
  void markDiscarded() { discarded_ = true; }
  bool discarded() const { return discarded_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void resolveCallbacks(const PanelSpec& spec);
  void fitToScreen();
  void placeBesideParent();

  int handle_;
  QString name_;
  PanelCallbackPtr callback_ = nullptr;
  PanelWindow* parentPanel_;
  QScrollArea* scroll_ = nullptr;
  QWidget* canvas_ = nullptr;
  PanelLayout* layout_ = nullptr;
  QSize fullSize_, leastSize_;  // the panel's own size and the least it is laid out at
  FocusRing* focusRing_ = nullptr;
  std::vector<QGroupBox*> frames_;
  int escapeControl_ = 0;
  QPoint offset_;
  bool hasOffset_ = false;
  bool placed_ = false;
  bool discarded_ = false;
  std::vector<Control*> controls_;
};
