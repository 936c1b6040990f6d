// Keyboard, screen reader and place of the feature windows.
#include "runtime/feature_window.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QWidget>
#include <algorithm>

#include "runtime/window_place.h"

namespace {

constexpr char kFirstCommand[] = "vantrelFirstCommand";
constexpr char kPlaced[] = "vantrelPlaced";

// A plain widget window would be read as a "filler"; these are windows (or
// dialogs) by their title.
class FeatureWindowAccessible : public QAccessibleWidget {
 public:
  explicit FeatureWindowAccessible(QWidget* w)
      : QAccessibleWidget(
            w, qobject_cast<QDialog*>(w) != nullptr ? QAccessible::Dialog : QAccessible::Window) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return widget()->windowTitle();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* WindowFactory(const QString&, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  auto* w = static_cast<QWidget*>(object);
  if (w->isWindow() && w->property(kFirstCommand).isValid()) return new FeatureWindowAccessible(w);
  return nullptr;
}

// The first widget from `from` on in the Tab order that can take the focus.
QWidget* FocusableFrom(QWidget* from, const QWidget* window) {
  QWidget* w = from;
  do {
    if (w->isEnabled() && w->isVisibleTo(window) && (w->focusPolicy() & Qt::TabFocus) != 0)
      return w;
    w = w->nextInFocusChain();
  } while (w != nullptr && w != from);
  return from;
}

// Ctrl+Tab steps through the cells, row by row; Tab is the window's.
class TableTabs : public QObject {
 public:
  explicit TableTabs(QAbstractItemView* table) : QObject(table), table_(table) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool forward = key->key() == Qt::Key_Tab;
    if ((!forward && key->key() != Qt::Key_Backtab) || !(key->modifiers() & Qt::ControlModifier))
      return false;
    const QAbstractItemModel* model = table_->model();
    if (model == nullptr || model->rowCount() == 0 || model->columnCount() == 0) return true;
    const int columns = model->columnCount();
    const QModelIndex at = table_->currentIndex();
    int cell = at.isValid() ? at.row() * columns + at.column() + (forward ? 1 : -1) : 0;
    cell = std::clamp(cell, 0, model->rowCount() * columns - 1);
    table_->setCurrentIndex(model->index(cell / columns, cell % columns));
    return true;
  }

 private:
  QAbstractItemView* table_;
};

}  // namespace

void PrepareFeatureWindow(QWidget* window, QWidget* firstCommand) {
  static const bool installed = (QAccessible::installFactory(WindowFactory), true);
  (void)installed;
  window->setProperty(kFirstCommand, QVariant::fromValue(QPointer<QWidget>(firstCommand)));
  // An interface made before (setting a name makes one) would keep the role of
  // a plain widget: it is dropped, and the next made here.
  QAccessibleInterface* made = QAccessible::queryAccessibleInterface(window);
  if (made != nullptr && dynamic_cast<FeatureWindowAccessible*>(made) == nullptr)
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

void OpenFeatureWindow(QWidget* window, const QWidget* beside) {
  if (!window->property(kPlaced).toBool()) {
    window->setProperty(kPlaced, true);
    if (beside != nullptr) PlaceWindowBeside(window, beside);
  }
  const bool wasOpen = window->isVisible();
  window->show();
  window->raise();
  window->activateWindow();
  if (wasOpen) return;
  const auto first = window->property(kFirstCommand).value<QPointer<QWidget>>();
  if (first) FocusableFrom(first, window)->setFocus(Qt::ActiveWindowFocusReason);
}

void LetTabLeaveTable(QAbstractItemView* table) {
  table->setTabKeyNavigation(false);
  table->installEventFilter(new TableTabs(table));
}
