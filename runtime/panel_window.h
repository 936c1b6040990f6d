// A loaded panel: its window, its controls and its callback.
//
// A top-level panel is an ordinary window; a child panel is a tool window owned
// by its parent (it stays above the parent and first appears at the resource's
// left/top relative to it). The close button never closes the window by
// itself: it delivers the close event to the panel callback, and a child panel
// without a panel callback simply hides.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "runtime/panel_resource.h"
#include "runtime/userint.h"

class Control;

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

  void showPanel();
  void hidePanel();
  // Marks the panel dead: it reports no more events and accepts no calls.
  void markDiscarded() { discarded_ = true; }
  bool discarded() const { return discarded_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void resolveCallbacks(const PanelSpec& spec);

  int handle_;
  QString name_;
  PanelCallbackPtr callback_ = nullptr;
  PanelWindow* parentPanel_;
  QPoint offset_;
  bool hasOffset_ = false;
  bool placed_ = false;
  bool discarded_ = false;
  std::vector<Control*> controls_;
};
