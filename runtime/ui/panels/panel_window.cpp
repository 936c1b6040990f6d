// Building a panel window from its description, fitting it to the screen, and
// what its close button and Escape do.
#include "runtime/ui/panels/panel_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "runtime/engine/engine.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/input/focus_ring.h"
#include "runtime/ui/panels/panel_layout.h"
#include "runtime/window_place.h"

namespace {

// Room the window system takes around a window (title bar and borders), used
// before the window has been shown and its real frame is known.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 40;

// A callback name the resource uses but nobody registered is reported once per
// name, not once per panel load.
void ReportMissingCallback(const QString& name) {
  static std::set<std::string> reported;
  const std::string n = name.toStdString();
  if (!reported.insert(n).second) return;
  std::fprintf(stderr, "panel resource: no callback registered under the name \"%s\"\n", n.c_str());
}

QSize FrameAllowance(const QWidget* window) {
  if (window->isVisible()) {
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (frame.width() > 0 || frame.height() > 0) return frame;
  }
  return QSize(kFrameAllowanceWidth, kFrameAllowanceHeight);
}

}  // namespace

PanelWindow::PanelWindow(int handle, const PanelSpec& spec, PanelWindow* parent)
    : QWidget(parent, parent != nullptr ? Qt::Tool : Qt::Window),
      handle_(handle),
      name_(spec.name),
      parentPanel_(parent),
      escapeControl_(spec.escapeControl) {
  setObjectName(spec.name);
  setWindowTitle(spec.title);
  if (spec.hasPosition) {
    offset_ = QPoint(spec.left, spec.top);
    hasOffset_ = true;
  }

  canvas_ = new QWidget;
  canvas_->setObjectName("panelCanvas");
  canvas_->resize(spec.width, spec.height);
  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setAlignment(Qt::AlignCenter);
  // The scroll area is no stop of the keyboard's Tab cycle: it has no name,
  // and the controls inside already bring themselves into view.
  scroll_->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  resize(spec.width, spec.height);
  setMinimumSize(std::min(spec.width, 160), std::min(spec.height, 120));
  layout_ = new PanelLayout(canvas_, QSize(spec.width, spec.height), [this] {
    if (focusRing_ != nullptr) focusRing_->place();
  });

  // Frames first, so that they lie below the controls they group.
  for (const DecorationSpec& d : spec.decorations) {
    QRect area(d.left, d.top, d.width, d.height);
    auto* frame = new QGroupBox(d.label, containerFor(&area));
    frame->setGeometry(area);
    frame->setObjectName("decoration");
    frames_.push_back(frame);
    layout_->addItem(frame, d.resize);
  }
  for (const ControlSpec& c : spec.controls) {
    Control* control = CreateControl(this, c);
    if (control == nullptr) continue;
    controls_.push_back(control);
    layout_->addItem(control->box(), c.resize);
  }
  // A panel whose controls follow the window fills it, down to its minimum;
  // any other keeps its size, in the middle of a larger window.
  if (layout_->followsWindow()) {
    canvas_->setMinimumSize(spec.minWidth, spec.minHeight);
    leastSize_ = QSize(spec.minWidth, spec.minHeight);
    scroll_->setWidgetResizable(true);
  } else {
    canvas_->setFixedSize(spec.width, spec.height);
    leastSize_ = canvas_->size();
  }
  fullSize_ = QSize(spec.width, spec.height);
  scroll_->setWidget(canvas_);
  resolveCallbacks(spec);
  for (Control* control : controls_) control->panelBuilt();
  focusRing_ = new FocusRing(this);
  // The native window exists from the start so that its close button (and the
  // test seam that presses it) goes through the normal window path.
  create();
}

PanelWindow::~PanelWindow() = default;

void PanelWindow::resolveCallbacks(const PanelSpec& spec) {
  if (!spec.callback.isEmpty()) {
    callback_ = LookUpPanelCallback(spec.callback.toStdString());
    if (callback_ == nullptr) ReportMissingCallback(spec.callback);
  }
  for (Control* control : controls_) {
    if (control->callbackName().isEmpty()) continue;
    control->setCallback(LookUpCtrlCallback(control->callbackName().toStdString()));
    if (control->callback() == nullptr) ReportMissingCallback(control->callbackName());
  }
}

Control* PanelWindow::control(int id) const {
  for (Control* c : controls_)
    if (c->id() == id) return c;
  return nullptr;
}

int PanelWindow::addTextMessage(const QString& text, int left, int top) {
  int id = 0;
  for (Control* c : controls_) id = std::max(id, c->id());
  ++id;
  controls_.push_back(CreateTextMessage(this, id, text, left, top));
  return id;
}

QWidget* PanelWindow::containerFor(QRect* area) const {
  // Frames are listed outermost first when nested; the last that holds the
  // area whole is the innermost.
  QGroupBox* holder = nullptr;
  for (QGroupBox* frame : frames_) {
    const QRect onCanvas(frame->mapTo(canvas_, QPoint(0, 0)), frame->size());
    if (onCanvas.contains(*area)) holder = frame;
  }
  if (holder == nullptr) return canvas_;
  area->translate(-holder->mapTo(canvas_, QPoint(0, 0)));
  return holder;
}

void PanelWindow::fitToScreen() {
  const QScreen* screen = parentPanel_ != nullptr ? parentPanel_->screen() : this->screen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  const QSize room = available.size() - FrameAllowance(this);
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  int w = std::min(fullSize_.width(), room.width());
  int h = std::min(fullSize_.height(), room.height());
  // Below its least size the panel scrolls, and a scroll bar in one direction
  // takes room from the other.
  if (h < leastSize_.height()) w = std::min(std::max(w, leastSize_.width() + bar), room.width());
  if (w < leastSize_.width()) h = std::min(std::max(h, leastSize_.height() + bar), room.height());
  resize(w, h);
  if (parentPanel_ == nullptr && (w < fullSize_.width() || h < fullSize_.height()))
    move(available.topLeft());
}

void PanelWindow::placeBesideParent() {
  const QScreen* screen = parentPanel_->screen();
  const QRect parentFrame = parentPanel_->frameGeometry();
  const QRect available = screen != nullptr ? screen->availableGeometry() : parentFrame;
  const QSize outer = size() + FrameAllowance(this);
  // Never narrowed: a settings panel is read whole.
  QRect place = PlaceBeside(outer, outer.width(), parentFrame, available);
  if (hasOffset_)
    place.moveTop(std::clamp(parentFrame.top() + offset_.y(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - outer.height())));
  move(place.topLeft());
}

void PanelWindow::showPanel() {
  if (!placed_) {
    placed_ = true;
    fitToScreen();
    if (parentPanel_ != nullptr) {
      placeBesideParent();
    } else if (hasOffset_) {
      move(offset_);
    }
  }
  // Showing a new window brings it to the front; one already shown is raised.
  if (isVisible()) raise();
  show();
}

void PanelWindow::hidePanel() {
  hide();
}

void PanelWindow::requestClose() {
  // The program decides what closing means; the window stays until it hides
  // or discards the panel.
  if (discarded_) return;
  if (callback_ != nullptr) {
    DeliverPanelEvent(this, UI_EVENT_CLOSE);
  } else if (parentPanel_ != nullptr) {
    // A child panel nobody listens to: hiding it keeps its close button useful.
    hide();
  }
}

bool PanelWindow::activateEscape() {
  Control* button = escapeControl_ != 0 ? control(escapeControl_) : nullptr;
  if (button == nullptr || discarded_ || button->dimmed() || !button->shown()) return false;
  button->activate();
  return true;
}

void PanelWindow::focusLostByDimming() {
  Control* button = escapeControl_ != 0 ? control(escapeControl_) : nullptr;
  if (button == nullptr || button->dimmed() || !button->shown() || button->body() == nullptr)
    return;
  button->body()->setFocus(Qt::OtherFocusReason);
}

void PanelWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  requestClose();
}
