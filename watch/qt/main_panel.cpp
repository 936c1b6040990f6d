#include "watch/qt/main_panel.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <vector>
#include "display/controls.h"
#include "runtime/userint.h"

namespace watch {
namespace {
constexpr char kMainPanel[] = "MainPanel";
constexpr char kCanvas[] = "panelCanvas";
}  // namespace

void SayInStatusLine(const QString& text) {
  SetCtrlVal(panelHandle, TEXT_Status, text.toLatin1().constData());
}

void WhenApplicationRuns(void (*install)()) {
  if (QCoreApplication::instance() != nullptr) {
    install();
    return;
  }
  // Pre-routines take plain functions: the ones waiting are kept here.
  static std::vector<void (*)()> waiting;
  waiting.push_back(install);
  if (waiting.size() == 1)
    qAddPreRoutine([] {
      QTimer::singleShot(0, [] {
        for (auto* fn : waiting) fn();
        waiting.clear();
      });
    });
}

MainPanelWatcher::MainPanelWatcher(Attach attach) : attach_(std::move(attach)) {
  qApp->installEventFilter(this);
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) consider(w);
}

MainPanelWatcher::~MainPanelWatcher() {
  qApp->removeEventFilter(this);
}

bool MainPanelWatcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType())
    consider(static_cast<QWidget*>(watched));
  return false;
}

void MainPanelWatcher::consider(QWidget* window) {
  if (!window->isWindow() || window == panel_ || window->objectName() != kMainPanel) return;
  auto* canvas = window->findChild<QWidget*>(kCanvas);
  if (canvas == nullptr) return;
  panel_ = window;
  attach_(window, canvas);
}

}  // namespace watch
