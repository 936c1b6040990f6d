// Operator simulation for tests: every action is made of the mouse and key
// events a real operator produces, delivered through the application, so the
// press filter and the widgets react exactly as they do for a person.
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWindow>
#include <cmath>

#include "runtime/engine/engine.h"
#include "runtime/testing/inspect.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/state_widgets.h"
#include "runtime/ui/panels/panel_window.h"

namespace {

constexpr int kCannot = -1;

// The control, when the operator could act on it now.
Control* Actionable(int panel, int control) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr || !window->isVisible()) return nullptr;
  Control* c = window->control(control);
  if (c == nullptr || c->dimmed() || !c->shown() || c->body() == nullptr) return nullptr;
  if (!c->body()->isEnabled() || !c->body()->isVisibleTo(window)) return nullptr;
  return c;
}

QRect SliderHandle(QSlider* slider) {
  QStyleOptionSlider opt;
  opt.initFrom(slider);
  opt.orientation = slider->orientation();
  opt.minimum = slider->minimum();
  opt.maximum = slider->maximum();
  opt.sliderPosition = slider->sliderPosition();
  opt.sliderValue = slider->value();
  opt.singleStep = slider->singleStep();
  opt.pageStep = slider->pageStep();
  opt.upsideDown = slider->invertedAppearance();
  opt.tickPosition = slider->tickPosition();
  opt.tickInterval = slider->tickInterval();
  if (slider->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
  opt.subControls = QStyle::SC_All;
  return slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
}

int EnterIntoSpinBox(QAbstractSpinBox* box, double value) {
  QString text;
  if (auto* real = qobject_cast<QDoubleSpinBox*>(box))
    text = QString::number(value, 'f', real->decimals());
  else
    text = QString::number(static_cast<long long>(std::trunc(value)));
  box->setFocus(Qt::TabFocusReason);
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);  // select what is there
  QTest::keyClicks(box, text);
  QTest::keyClick(box, Qt::Key_Return);
  return 0;
}

int DragSlider(QSlider* slider, double value) {
  QPointer<QSlider> guard(slider);
  QTest::mousePress(slider, Qt::LeftButton, {}, SliderHandle(slider).center());
  if (guard.isNull()) return 0;
  if (slider->isSliderDown())
    slider->setSliderPosition(static_cast<int>(std::trunc(value)));  // the drag
  QTest::mouseRelease(slider, Qt::LeftButton, {}, SliderHandle(slider).center());
  return 0;
}

}  // namespace

int SimulatePress(int panel, int control) {
  Control* c = Actionable(panel, control);
  if (c == nullptr) return kCannot;
  QTest::mousePress(c->body(), Qt::LeftButton, {}, c->body()->rect().center());
  return 0;
}

int SimulateRelease(int panel, int control) {
  Control* c = FindControl(panel, control);
  if (c == nullptr || c->body() == nullptr) return kCannot;
  QTest::mouseRelease(c->body(), Qt::LeftButton, {}, c->body()->rect().center());
  return 0;
}

int SimulateClick(int panel, int control) {
  Control* c = Actionable(panel, control);
  if (c == nullptr) return kCannot;
  QPointer<QWidget> body(c->body());
  const QPoint centre = body->rect().center();
  QTest::mousePress(body, Qt::LeftButton, {}, centre);
  // The press handler may have discarded the panel; a real release would then
  // find no window to go to.
  if (!body.isNull() && FindControl(panel, control) != nullptr)
    QTest::mouseRelease(body, Qt::LeftButton, {}, centre);
  return 0;
}

int SimulateEnterValue(int panel, int control, double value) {
  Control* c = Actionable(panel, control);
  if (c == nullptr || c->isIndicator() || std::isnan(value)) return kCannot;
  if (auto* box = qobject_cast<QAbstractSpinBox*>(c->body())) return EnterIntoSpinBox(box, value);
  if (auto* slider = qobject_cast<QSlider*>(c->body())) return DragSlider(slider, value);
  return kCannot;
}

int SimulateSelectItem(int panel, int control, int value) {
  Control* c = Actionable(panel, control);
  if (c == nullptr) return kCannot;
  auto* combo = qobject_cast<QComboBox*>(c->body());
  if (combo == nullptr) return kCannot;
  const int index = combo->findData(value);
  if (index < 0) return kCannot;
  combo->setFocus(Qt::TabFocusReason);
  QTest::keyClick(combo, Qt::Key_F4);  // opens the list
  QAbstractItemView* list = combo->view();
  if (!list->isVisible()) return kCannot;
  list->setCurrentIndex(combo->model()->index(index, combo->modelColumn()));
  QTest::keyClick(list, Qt::Key_Return);
  return 0;
}

int SimulateToggle(int panel, int control) {
  Control* c = Actionable(panel, control);
  if (c == nullptr || c->isIndicator()) return kCannot;
  QWidget* body = c->body();
  if (qobject_cast<ToggleSwitch*>(body) == nullptr &&
      qobject_cast<RadioIndicator*>(body) == nullptr && qobject_cast<LedLamp*>(body) == nullptr)
    return kCannot;
  QTest::keyClick(body, Qt::Key_Space);
  return 0;
}

int SimulateClosePanel(int panel) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr || !window->isVisible() || window->windowHandle() == nullptr)
    return kCannot;
  // The request a window manager's close button makes: a close event to the
  // native window, which hands it to the panel's closeEvent.
  QCloseEvent event;
  QCoreApplication::sendEvent(window->windowHandle(), &event);
  return 0;
}
