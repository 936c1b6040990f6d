// Where the watch-and-keep commands find the main panel: its widgets are
// placed on the panel's canvas when the panel is shown.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace watch {

// Shows `text` in the main panel's status line (Latin-1, as the status line
// holds it: a character outside it becomes '?').
void SayInStatusLine(const QString& text);

// Runs `install` at once when the application exists (tests), else once its
// event loop first turns: widgets made while it is still being constructed are
// not among its windows. No command can start a Run before that.
void WhenApplicationRuns(void (*install)());

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
