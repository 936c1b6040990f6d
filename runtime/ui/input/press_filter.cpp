// Left presses, releases and keyboard activation mapped to control events.
#include "runtime/ui/input/press_filter.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSlider>
#include <QWheelEvent>

#include "runtime/engine/engine.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/panels/panel_window.h"

namespace {

// The control a widget belongs to: walk up to its ControlBox, but never out of
// the widget's window (a drop-down's list is a window of its own).
Control* ControlOf(QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  for (QWidget* w = static_cast<QWidget*>(object); w != nullptr; w = w->parentWidget()) {
    if (auto* box = qobject_cast<ControlBox*>(w)) return box->control();
    if (w->isWindow()) break;
  }
  return nullptr;
}

bool Usable(Control* c) {
  return c != nullptr && c->panel() != nullptr && !c->panel()->discarded() && !c->dimmed() &&
         c->body() != nullptr && c->body()->isEnabled();
}

void SetDown(Control* c, bool down) {
  if (auto* button = qobject_cast<QAbstractButton*>(c->body())) button->setDown(down);
}

bool ReleasedOver(Control* c, QObject* receiver, QMouseEvent* e) {
  QWidget* body = c->body();
  auto* w = static_cast<QWidget*>(receiver);
  const QPoint pos = (w == body || body->isAncestorOf(w))
                         ? w->mapTo(body, e->position().toPoint())
                         : body->mapFromGlobal(e->globalPosition().toPoint());
  return body->rect().contains(pos);
}

bool LeftButtonDown() {
  return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
}

bool CommandPress(Control* c) {
  QPointer<Control> guard(c);
  c->press = Control::PressState{true, true, false, false};
  // A press that came from the window system keeps the button state up to
  // date, also for a release that a modal dialog kept from the button.
  const bool buttonTracked = LeftButtonDown();
  SetDown(c, true);
  DeliverControlEvent(c, UI_EVENT_LEFT_PRESS);
  if (guard.isNull()) return true;
  c->press.inProgress = false;
  if (!c->press.released && buttonTracked && !LeftButtonDown()) {
    // The button went up while the press handler ran, but the release never
    // reached it (a dialog the handler opened took the mouse): it was not
    // released over the button, so the click is cancelled, cleanly.
    c->press = Control::PressState{};
    SetDown(c, false);
  } else if (c->press.released) {
    // The button went up while the press handler ran: complete the click now.
    const bool over = c->press.releasedOver;
    c->press = Control::PressState{};
    SetDown(c, false);
    if (over) DeliverControlEvent(c, UI_EVENT_COMMIT);
  } else if (!c->body()->isEnabled()) {
    SetDown(c, false);  // dimmed by its own press: no pressed look, commit still due
  }
  return true;
}

bool CommandRelease(Control* c, QObject* receiver, QMouseEvent* e) {
  if (!c->press.active) return true;  // a release without its press: nothing to complete
  const bool over = ReleasedOver(c, receiver, e);
  if (c->press.inProgress) {
    c->press.released = true;
    c->press.releasedOver = over;
    return true;
  }
  c->press = Control::PressState{};
  SetDown(c, false);
  if (over) DeliverControlEvent(c, UI_EVENT_COMMIT);
  return true;
}

bool ForwardPress(Control* c) {
  QPointer<Control> guard(c);
  c->press = Control::PressState{true, true, false, false};
  DeliverControlEvent(c, UI_EVENT_LEFT_PRESS);
  if (guard.isNull()) return true;
  const bool released = c->press.released;
  c->press = Control::PressState{};
  if (released) return true;  // the click is over already
  return !Usable(c);          // let the widget react unless it was dimmed meanwhile
}

// Spin boxes, rings and slides take the wheel only while they have the focus
// of their window: a wheel passing over them on its way elsewhere changes
// nothing (on the port selector it would bring the link up again).
bool WheelPassesOver(Control* c) {
  if (c == nullptr || c->body() == nullptr) return false;
  QWidget* body = c->body();
  if (qobject_cast<QAbstractSpinBox*>(body) == nullptr &&
      qobject_cast<QComboBox*>(body) == nullptr && qobject_cast<QSlider*>(body) == nullptr)
    return false;
  QWidget* focus = body->window()->focusWidget();
  return focus == nullptr || (focus != body && !body->isAncestorOf(focus));
}

bool CommandKey(Control* c, QKeyEvent* e) {
  const int key = e->key();
  if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  if (e->type() == QEvent::KeyRelease || e->isAutoRepeat()) return true;
  c->activate();
  return true;
}

// Escape on a panel (not in an open drop-down list, which is a window of its
// own) activates the panel's escape button. Key events travel up from the
// focus widget; only their first receiver acts on them.
bool EscapeKey(QObject* watched, QKeyEvent* e) {
  if (e->key() != Qt::Key_Escape || !watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  QWidget* focus = QApplication::focusWidget();
  if (w != focus && !(focus == nullptr && w->isWindow())) return false;
  auto* panel = qobject_cast<PanelWindow*>(w->window());
  if (panel == nullptr || e->isAutoRepeat()) return false;
  return panel->activateEscape();
}

}  // namespace

bool PressFilter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      // Only the event as it first arrives; copies passed on to parent widgets
      // are not spontaneous and must not deliver a second press.
      auto* e = static_cast<QMouseEvent*>(event);
      if (!event->spontaneous() || e->button() != Qt::LeftButton) return false;
      Control* c = ControlOf(watched);
      if (!Usable(c) || c->callback() == nullptr) return false;
      if (c->isCommand()) return CommandPress(c);
      return ForwardPress(c);
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (!event->spontaneous() || e->button() != Qt::LeftButton) return false;
      Control* c = ControlOf(watched);
      if (c == nullptr || c->callback() == nullptr) return false;
      if (c->isCommand()) return CommandRelease(c, watched, e);
      if (c->press.active && c->press.inProgress) {
        c->press.released = true;
        return true;
      }
      return false;
    }
    case QEvent::KeyPress:
      if (EscapeKey(watched, static_cast<QKeyEvent*>(event))) return true;
      [[fallthrough]];
    case QEvent::KeyRelease: {
      Control* c = ControlOf(watched);
      if (c == nullptr || !c->isCommand() || watched != c->body() || c->callback() == nullptr)
        return false;
      if (!Usable(c)) return false;
      return CommandKey(c, static_cast<QKeyEvent*>(event));
    }
    case QEvent::Wheel:
      return WheelPassesOver(ControlOf(watched));
    default:
      return false;
  }
}

void InstallPressFilter() {
  static PressFilter* filter = nullptr;
  if (filter != nullptr) return;
  filter = new PressFilter(qApp);
  qApp->installEventFilter(filter);
}
