// How assistive technology sees the engine's own widgets. Standard widgets
// (spin boxes, buttons, sliders) describe themselves; these do not, so each
// gets an interface with a role, its state and its value (an indicator lamp
// its state in its name too); the status line and
// the text boxes also give their text (accessible_text.h). Panels are windows
// (the settings panel a dialog), and a drop-down is named by its label, not by
// its current item.
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

#include "runtime/ui/panels/panel_window.h"

#include "runtime/ui/access/accessible_text.h"
#include "runtime/ui/controls/state_widgets.h"
#include "runtime/ui/controls/text_box_widget.h"
#include "runtime/ui/graph/graph_widget.h"

namespace {

class EngineWidgetAccessible : public QAccessibleWidget {
 public:
  EngineWidgetAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return value();
    if (t == QAccessible::Name) {
      const QString name = widget()->accessibleName();
      // An indicator lamp says its state with its name: it is read as one.
      if (auto* lamp = qobject_cast<LedLamp*>(widget()); lamp && !lamp->operatorCanSwitch())
        return QString("%1: %2").arg(name, lamp->stateText());
      if (!name.isEmpty()) return name;
    }
    // A switch tells both of its state words, not only checked or not.
    if (auto* sw = qobject_cast<ToggleSwitch*>(widget()); sw && t == QAccessible::Description)
      return QString("%1 when checked, %2 when not").arg(sw->onText(), sw->offText());
    // A graph sums up what it shows, then what its viewing aids do.
    if (auto* graph = qobject_cast<GraphWidget*>(widget()); graph && t == QAccessible::Description)
      return graph->accessibleDescriptionText();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (auto* sw = qobject_cast<ToggleSwitch*>(widget())) {
      s.checkable = true;
      s.checked = sw->isChecked();
    } else if (auto* radio = qobject_cast<RadioIndicator*>(widget())) {
      s.checkable = true;
      s.checked = radio->isChecked();
    } else if (auto* lamp = qobject_cast<LedLamp*>(widget())) {
      s.checked = lamp->isChecked();
      s.checkable = lamp->operatorCanSwitch();
      s.readOnly = !lamp->operatorCanSwitch();
    } else if (qobject_cast<GraphWidget*>(widget())) {
      s.readOnly = true;
    }
    return s;
  }

 private:
  QString value() const {
    if (auto* sw = qobject_cast<ToggleSwitch*>(widget())) return sw->stateText();
    if (auto* radio = qobject_cast<RadioIndicator*>(widget())) return radio->stateText();
    if (auto* lamp = qobject_cast<LedLamp*>(widget())) return lamp->stateText();
    if (auto* graph = qobject_cast<GraphWidget*>(widget())) return graph->describe();
    return QString();
  }
};

class PanelAccessible : public QAccessibleWidget {
 public:
  explicit PanelAccessible(PanelWindow* w)
      : QAccessibleWidget(w, w->isChildPanel() ? QAccessible::Dialog : QAccessible::Window) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return widget()->windowTitle();
    return QAccessibleWidget::text(t);
  }
};

// A control's drop-down: its label is its name, the chosen item its value; its
// one child is the list it opens.
class DropDownAccessible : public QAccessibleWidget {
 public:
  explicit DropDownAccessible(QComboBox* w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return widget()->accessibleName();
    if (t == QAccessible::Value) return combo()->currentText();
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == combo()->view() ? 0 : -1;
  }
  QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& name) override {
    if (name == showMenuAction() || name == pressAction())
      combo()->showPopup();
    else
      QAccessibleWidget::doAction(name);
  }

 private:
  QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  auto* w = static_cast<QWidget*>(object);
  if (className == QLatin1String("PanelWindow"))
    return new PanelAccessible(static_cast<PanelWindow*>(w));
  if (className == QLatin1String("RingBox"))
    return new DropDownAccessible(static_cast<QComboBox*>(w));
  if (className == QLatin1String("ToggleSwitch"))
    return new EngineWidgetAccessible(w, QAccessible::CheckBox);
  if (className == QLatin1String("RadioIndicator"))
    return new EngineWidgetAccessible(w, QAccessible::RadioButton);
  if (className == QLatin1String("LedLamp"))
    return new EngineWidgetAccessible(w, QAccessible::Indicator);
  if (className == QLatin1String("StatusLine"))
    return new ReadOnlyTextAccessible(w, QAccessible::StatusBar);
  if (className == QLatin1String("ReadoutWidget"))
    return new ReadOnlyTextAccessible(w, QAccessible::StaticText);
  if (className == QLatin1String("TextBoxWidget"))
    return new ReadOnlyTextAccessible(w, QAccessible::EditableText);
  if (className == QLatin1String("GraphWidget"))
    return new EngineWidgetAccessible(w, QAccessible::Chart);
  return nullptr;
}

}  // namespace

void InstallAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(Factory);
}
