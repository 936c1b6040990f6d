// Rings and drop-downs: a choice among items, each carrying an integer value.
//
// A value set by the program that no item carries is shown as an extra item
// "<value> (?)", so that reading the control gives back what was set; the extra
// item goes away as soon as another value is chosen or set.
#include <QComboBox>
#include <QTimer>
#include <cmath>

#include "runtime/engine/engine.h"
#include "runtime/rs232.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"
#include "runtime/ui/controls/state_widgets.h"

namespace {

class RingControl : public Control {
 public:
  RingControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    combo_ = new RingBox;
    combo_->setEditable(false);
    // The wheel turns only the ring that has the focus (see press_filter.h).
    combo_->setFocusPolicy(Qt::StrongFocus);
    combo_->setObjectName(spec.style == "dropdown" ? "dropdown" : "ring");
    if (spec.comPorts) {
      // The operator sees where each port number leads.
      for (int port = 1; port <= COM_PORT_COUNT; ++port)
        combo_->addItem(
            QString("COM%1  %2").arg(port).arg(QString::fromLocal8Bit(ComPortDevice(port))), port);
    } else {
      for (const RingItemSpec& item : spec.items) combo_->addItem(item.text, item.value);
    }
    itemCount_ = combo_->count();
    placeBody(combo_, true);
    store(static_cast<int>(spec.number));
    connect(combo_, &QComboBox::currentIndexChanged, this, [this](int index) {
      if (index < itemCount_) dropPlaceholder();
      operatorChanged();
      // The activation that follows at once belongs to this change; one that
      // does not come must not swallow a later choice.
      changedByOperator_ = true;
      QTimer::singleShot(0, this, [this] { changedByOperator_ = false; });
    });
    // Every choice of the operator ends here, after the change above when there
    // was one. Choosing the item already shown changes nothing but is still a
    // decision (choosing the port again reopens it): it commits.
    connect(combo_, &QComboBox::activated, this, [this](int) {
      if (changedByOperator_) {
        changedByOperator_ = false;
        return;
      }
      DeliverControlEvent(this, UI_EVENT_COMMIT);
    });
  }

  int setNumber(double value) override {
    if (std::isnan(value) || std::fabs(value) > 2147483647.0) return UIE_BAD_VALUE;
    store(static_cast<int>(std::trunc(value)));
    return 0;
  }

  int getNumber(double* value) const override {
    if (combo_->currentIndex() < 0) return UIE_BAD_VALUE;
    *value = combo_->currentData().toInt();
    return 0;
  }

 private:
  void store(int value) {
    const QSignalBlocker blocker(combo_);
    dropPlaceholder();
    for (int i = 0; i < itemCount_; ++i) {
      if (combo_->itemData(i).toInt() == value) {
        combo_->setCurrentIndex(i);
        return;
      }
    }
    combo_->addItem(QString("%1 (?)").arg(value), value);
    combo_->setCurrentIndex(itemCount_);
  }

  void dropPlaceholder() {
    const QSignalBlocker blocker(combo_);
    while (combo_->count() > itemCount_) combo_->removeItem(combo_->count() - 1);
  }

  QComboBox* combo_ = nullptr;
  int itemCount_ = 0;               // items of the resource; a placeholder comes after them
  bool changedByOperator_ = false;  // a change whose activation is still to come
};

}  // namespace

Control* NewRingControl(PanelWindow* panel, const ControlSpec& spec) {
  return new RingControl(panel, spec);
}
