// The features' places on a panel: commands in the cells of a slot, an
// indicator against a slot's edge, each in the Tab cycle where the slot stands.
#include "runtime/panel_slots.h"

#include <QAbstractButton>
#include <QEvent>
#include <QShortcut>
#include <algorithm>
#include <vector>

#include "runtime/engine/engine.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/panels/panel_slots_offer.h"
#include "runtime/ui/panels/panel_window.h"

namespace {

struct Listener {
  PanelSlotsListener fn;
  void* context;
  bool operator==(const Listener&) const = default;
};

std::vector<Listener>& Listeners() {
  static std::vector<Listener> listeners;
  return listeners;
}

// The control's widget that takes the keyboard focus (its body).
QWidget* FocusWidget(PanelWindow* panel, int id) {
  Control* control = id != 0 ? panel->control(id) : nullptr;
  return control != nullptr ? control->body() : nullptr;
}

// The Tab stop before `w` in its window's cycle, or null.
QWidget* PreviousTabStop(QWidget* w) {
  QWidget* before = w->previousInFocusChain();
  while (before != w && (before->focusPolicy() & Qt::TabFocus) == 0)
    before = before->previousInFocusChain();
  return before == w ? nullptr : before;
}

// Where a command at `position` of `slot` follows in the Tab cycle: the slot's
// command in the nearest cell before it, else the place the slot stands.
QWidget* TabPredecessor(PanelWindow* panel, const SlotSpec& slot, int position) {
  for (int p = position - 1; p >= 0; --p)
    if (QWidget* w = panel->slotOccupant(slot.name, p)) return w;
  if (QWidget* after = FocusWidget(panel, slot.tabAfter)) return after;
  if (QWidget* before = FocusWidget(panel, slot.tabBefore)) return PreviousTabStop(before);
  return nullptr;
}

// The cell at `position`, in panel pixels on the canvas.
QRect CellRect(const SlotSpec& slot, int position) {
  int total = 0;
  for (const int w : slot.cells) total += w;
  total += slot.gap * (static_cast<int>(slot.cells.size()) - 1);
  int left = slot.fromRight ? slot.edge - total : slot.edge;
  for (int p = 0; p < position; ++p) left += slot.cells[static_cast<size_t>(p)] + slot.gap;
  const int height = slot.height > 0 ? slot.height : LabelLineHeight();
  return QRect(left, slot.top, slot.cells[static_cast<size_t>(position)], height);
}

// Keeps an indicator against its slot's edge whenever it takes another size.
// The geometry is set in panel pixels, as the panel's layout expects of a
// widget that places itself (panel_layout.h).
class IndicatorPlace : public QObject {
 public:
  IndicatorPlace(QWidget* indicator, const SlotSpec& slot)
      : QObject(indicator), fromRight_(slot.fromRight), edge_(slot.edge), top_(slot.top) {
    indicator->installEventFilter(this);
    place(indicator);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && !placing_) place(static_cast<QWidget*>(watched));
    return false;
  }

 private:
  void place(QWidget* w) {
    placing_ = true;
    const QSize size =
        w->size().isValid() && w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint();
    w->setGeometry(fromRight_ ? edge_ - size.width() : edge_, top_, size.width(), size.height());
    placing_ = false;
  }

  bool fromRight_;
  int edge_, top_;
  bool placing_ = false;
};

}  // namespace

void AddPanelSlotsListener(PanelSlotsListener listener, void* context) {
  auto& listeners = Listeners();
  const Listener l{listener, context};
  if (listener == nullptr || std::find(listeners.begin(), listeners.end(), l) != listeners.end())
    return;
  listeners.push_back(l);
  // Panels shown before the listener came are offered at once (handles copied:
  // a listener may load or discard panels).
  std::vector<int> shown;
  for (const auto& [handle, window] : TheEngine().panels)
    if (window && window->slotsOffered()) shown.push_back(handle);
  for (const int handle : shown) listener(handle, context);
}

void RemovePanelSlotsListener(PanelSlotsListener listener, void* context) {
  auto& listeners = Listeners();
  listeners.erase(std::remove(listeners.begin(), listeners.end(), Listener{listener, context}),
                  listeners.end());
}

void OfferPanelSlots(int panel) {
  // A copy: a listener may remove itself or add another.
  const std::vector<Listener> listeners = Listeners();
  for (const Listener& l : listeners) l.fn(panel, l.context);
}

int AddSlotCommand(int panel, const char* slot, QAbstractButton* button,
                   const SlotCommand& command) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return UIE_NO_SUCH_PANEL;
  const SlotSpec* spec = window->slotSpec(QString::fromUtf8(slot));
  if (spec == nullptr || spec->indicator || button == nullptr || command.position < 0 ||
      command.position >= static_cast<int>(spec->cells.size()) ||
      window->slotOccupant(spec->name, command.position) != nullptr)
    return UIE_BAD_VALUE;
  button->setParent(window->canvas());
  button->setText(command.label);
  button->setAccessibleName(command.accessibleName);
  button->setToolTip(command.toolTip);
  button->setGeometry(CellRect(*spec, command.position));
  if (QWidget* before = TabPredecessor(window, *spec, command.position))
    QWidget::setTabOrder(before, button);
  window->setSlotOccupant(spec->name, command.position, button);
  button->show();
  button->raise();
  if (!command.shortcut.isEmpty()) {
    // The button's child, so it goes with it; like the button's own
    // mnemonic it acts while the button is shown and enabled.
    auto* shortcut = new QShortcut(command.shortcut, button);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
  }
  return 0;
}

int AddSlotIndicator(int panel, const char* slot, QWidget* indicator) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return UIE_NO_SUCH_PANEL;
  const SlotSpec* spec = window->slotSpec(QString::fromUtf8(slot));
  if (spec == nullptr || !spec->indicator || indicator == nullptr ||
      window->slotOccupant(spec->name, 0) != nullptr)
    return UIE_BAD_VALUE;
  indicator->setParent(window->canvas());
  new IndicatorPlace(indicator, *spec);
  window->setSlotOccupant(spec->name, 0, indicator);
  indicator->show();
  indicator->raise();
  return 0;
}

QWidget* PanelWindowOf(int panel) {
  return FindPanel(panel);
}

QWidget* GraphOf(int panel, int graph) {
  Control* control = FindControl(panel, graph);
  if (control == nullptr || control->kind() != "graph") return nullptr;
  return control->body();
}
