#include "watch/qt/main_panel.h"

#include <QApplication>
#include <QEvent>

namespace watch {
namespace {
constexpr char kMainPanel[] = "MainPanel";
constexpr char kCanvas[] = "panelCanvas";
}  // namespace

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
