// Where the watch-and-keep commands find the main panel: its widgets are
// placed on the panel's canvas when the panel is shown.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace watch {

// Calls `attach` with the main panel ("MainPanel") and its canvas once the
// panel is shown: at once when it already is, and again for every new main
// panel (tests start the program afresh in one process). The widgets that
// `attach` creates on the canvas go with the panel.
class MainPanelWatcher : public QObject {
 public:
  using Attach = std::function<void(QWidget* panel, QWidget* canvas)>;
  explicit MainPanelWatcher(Attach attach);
  ~MainPanelWatcher() override;

  QWidget* Panel() const { return panel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void consider(QWidget* window);

  Attach attach_;
  QPointer<QWidget> panel_;
};

}  // namespace watch
