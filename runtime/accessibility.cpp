// How assistive technology sees the engine's own widgets. Standard widgets
// (spin boxes, drop-downs, buttons, sliders) describe themselves; these do not,
// so each gets an interface with a role, its state and its value; the status
// line and the text boxes also give their text (accessible_text.h).
#include <QAccessible>
#include <QAccessibleWidget>

#include "runtime/accessible_text.h"
#include "runtime/graph_widget.h"
#include "runtime/state_widgets.h"
#include "runtime/text_box_widget.h"

namespace {

class EngineWidgetAccessible : public QAccessibleWidget {
 public:
  EngineWidgetAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return value();
    if (t == QAccessible::Name) {
      const QString name = widget()->accessibleName();
      if (!name.isEmpty()) return name;
    }
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

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  auto* w = static_cast<QWidget*>(object);
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
