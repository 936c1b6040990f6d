// Rings and drop-downs: a choice among items, each carrying an integer value.
//
// A value set by the program that no item carries is shown as an extra item
// "<value> (?)", so that reading the control gives back what was set; the extra
// item goes away as soon as another value is chosen or set.
//
// The port selector ("items": "com-ports") shows where each port number
// leads and what the system knows of the device, relabelled whenever its list
// opens and whenever a port is mapped anew; the chosen value stays and the
// program hears nothing of it.
#include <QComboBox>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/com_devices.h"
#include "runtime/engine/engine.h"
#include "runtime/rs232.h"
#include "runtime/serial/port_map.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/controls/control_kinds.h"
#include "runtime/ui/controls/state_widgets.h"

namespace {

class RingControl;
std::vector<RingControl*> g_portSelectors;
void RelabelPortSelectors();

class RingControl : public Control {
 public:
  RingControl(PanelWindow* panel, const ControlSpec& spec) : Control(panel, spec) {
    combo_ = new RingBox;
    combo_->setEditable(false);
    // The wheel turns only the ring that has the focus (see press_filter.h).
    combo_->setFocusPolicy(Qt::StrongFocus);
    combo_->setObjectName(spec.style == "dropdown" ? "dropdown" : "ring");
    if (spec.comPorts) {
      for (int port = 1; port <= COM_PORT_COUNT; ++port) combo_->addItem(QString(), port);
      relabelPorts();
      combo_->beforePopup = [this] { relabelPorts(); };
      g_portSelectors.push_back(this);
      SetComPortMapObserver(RelabelPortSelectors);
    } else {
      for (const RingItemSpec& item : spec.items) combo_->addItem(item.text, item.value);
    }
    itemCount_ = combo_->count();
    placeBody(combo_, true);
    store(static_cast<int>(spec.number));
    connect(combo_, &QComboBox::currentIndexChanged, this, [this](int index) {
      if (index < itemCount_) dropPlaceholder();
      showChosenToolTip();
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

  ~RingControl() override {
    g_portSelectors.erase(std::remove(g_portSelectors.begin(), g_portSelectors.end(), this),
                          g_portSelectors.end());
  }

  // Each port's item says where it leads now; a port this user may not open
  // carries what grants access as its tool tip.
  void relabelPorts() {
    const QSignalBlocker blocker(combo_);
    const std::vector<ComDevice> ports = DescribeComPorts();
    for (int i = 0; i < COM_PORT_COUNT && i < combo_->count(); ++i) {
      const ComPortLabel label = LabelComPort(ports[static_cast<size_t>(i)]);
      combo_->setItemText(i, QString::fromLocal8Bit(label.text.c_str()));
      combo_->setItemData(i, QString::fromStdString(label.toolTip), Qt::ToolTipRole);
    }
    showChosenToolTip();
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
        showChosenToolTip();
        return;
      }
    }
    combo_->addItem(QString("%1 (?)").arg(value), value);
    combo_->setCurrentIndex(itemCount_);
    showChosenToolTip();
  }

  void showChosenToolTip() {
    if (!combo_) return;
    combo_->setToolTip(combo_->itemData(combo_->currentIndex(), Qt::ToolTipRole).toString());
  }

  void dropPlaceholder() {
    const QSignalBlocker blocker(combo_);
    while (combo_->count() > itemCount_) combo_->removeItem(combo_->count() - 1);
  }

  RingBox* combo_ = nullptr;
  int itemCount_ = 0;               // items of the resource; a placeholder comes after them
  bool changedByOperator_ = false;  // a change whose activation is still to come
};

void RelabelPortSelectors() {
  for (RingControl* selector : g_portSelectors) selector->relabelPorts();
}

}  // namespace

Control* NewRingControl(PanelWindow* panel, const ControlSpec& spec) {
  return new RingControl(panel, spec);
}
