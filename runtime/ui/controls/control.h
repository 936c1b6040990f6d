// One control of a panel: its identity from the panel resource, its widgets and
// the value and attribute operations every kind answers. Each kind lives in its
// own file (numeric_control.cpp, ring_control.cpp, ...) and overrides what it
// supports; everything else answers UIE_BAD_VALUE.
//
// Widgets: `box` is the control's whole area on the panel (label included) and
// carries the control for the press filter; `body` is the part the operator
// works with (spin box, button, graph, ...), which also carries the accessible
// name. Setting a value from the program never raises an event: kinds block
// their widgets' signals while they change them.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "runtime/ui/panels/panel_resource.h"
#include "runtime/userint.h"

class PanelWindow;
class QLabel;

// The widget that frames one control; the press filter finds the control of
// any widget by walking up to its ControlBox.
class ControlBox : public QWidget {
  Q_OBJECT
 public:
  ControlBox(QWidget* parent, class Control* control) : QWidget(parent), control_(control) {}
  class Control* control() const {
    return control_;
  }

 protected:
  // The panel was laid out anew: the label and the body fill the new box.
  void resizeEvent(QResizeEvent* event) override;

 private:
  class Control* control_;
};

class Control : public QObject {
 public:
  Control(PanelWindow* panel, const ControlSpec& spec);
  ~Control() override;

  int id() const { return id_; }
  const QString& name() const { return name_; }
  const QString& kind() const { return kind_; }
  const QString& label() const { return label_; }
  const QString& callbackName() const { return callbackName_; }
  CtrlCallbackPtr callback() const { return callback_; }
  void setCallback(CtrlCallbackPtr fn) { callback_ = fn; }
  PanelWindow* panel() const;
  ControlBox* box() const { return box_; }
  QWidget* body() const { return body_; }

  // ---- Values (the control's own type; see userint.h for the conversions)
  virtual int setNumber(double value);
  virtual int getNumber(double* value) const;
  virtual int setText(const QString& text);
  virtual int getText(QString* text) const;
  // Line `line` of the text a text-holding control shows ("" when missing).
  virtual QString lineText(int line) const;
  virtual int replaceLine(int line, const QString& text);

  // ---- Attributes
  virtual int setMaximum(double max);
  virtual int getMaximum(double* max) const;
  // The unit a numeric control shows its value in (SetCtrlShownUnit).
  virtual int setShownUnit(double factor, double divisor, const QString& unit);
  void setDimmed(bool dimmed);
  bool dimmed() const { return dimmed_; }
  void setShown(bool shown);
  bool shown() const { return shown_; }
  // The mark of a value the program replaced; see UI_ATTR_CORRECTION_NOTE.
  void setCorrectionNote(const QString& note);
  bool marked() const { return !correctionNote_.isEmpty(); }
  void setTextColor(int rgb);
  void setTextBackground(int rgb);
  void setTextFont(const QString& name);
  void setTextPixelSize(int pixels);
  int textColor() const;
  int textBackground() const;
  int textPixelSize() const;

  // ---- Operator events
  // Command buttons complete a click themselves (press, then commit on release);
  // every other kind lets its widget react after the press was delivered.
  virtual bool isCommand() const { return false; }
  // The operator's click from the keyboard (Escape on the panel): a command
  // button delivers left press, then commit; other kinds do nothing.
  virtual void activate() {}
  // Called once every control of the panel exists.
  virtual void panelBuilt() {}
  // Lays the label and the body out in the box as it now is.
  virtual void fitToBox();
  // Indicators take no value from the operator.
  virtual bool isIndicator() const { return false; }

  // Bookkeeping of one left-button click, kept by the press filter.
  struct PressState {
    bool active = false;      // a press was delivered and its release is awaited
    bool inProgress = false;  // the press callback is still running
    bool released = false;    // the release came while the press callback ran
    bool releasedOver = false;
  };
  PressState press;

 protected:
  // Puts `body` into the box below a label line (or fills the box when
  // `withLabel` is false) and gives it the accessible name.
  void placeBody(QWidget* body, bool withLabel);
  // For kinds that show their label themselves (button text, radio text, ...).
  void setBodyOnly(QWidget* body);
  // The operator changed the value: value changed, then commit.
  void operatorChanged();
  // Called after a text attribute changed, for kinds that size to their text.
  virtual void textStyleChanged() {}

 private:
  void applyTextStyle();

  int id_;
  QString name_, kind_, label_, callbackName_;
  CtrlCallbackPtr callback_ = nullptr;
  QPointer<PanelWindow> panel_;
  ControlBox* box_ = nullptr;
  QWidget* body_ = nullptr;
  QLabel* labelWidget_ = nullptr;
  bool withLabel_ = false;
  bool dimmed_ = false;
  bool shown_ = true;
  int textColor_ = -1, textBackground_ = -1, textPixelSize_ = -1;
  QString fontName_;
  QString correctionNote_;
  QWidget* correctionFrame_ = nullptr;  // shown while the value is marked
};

// Creates the control of `spec.kind` on `panel` (widgets included), or returns
// nullptr for an unknown kind. Defined in control_factory.cpp.
Control* CreateControl(PanelWindow* panel, const ControlSpec& spec);
// A text message created at run time at (left, top).
Control* CreateTextMessage(PanelWindow* panel, int id, const QString& text, int left, int top);

// Every text the program sets on a text control (the status line) goes to this
// observer when one is set. None is set in the program; the test-support library
// sets one to follow the status line through an operation.
using TextShownObserver = void (*)(const Control* control, const QString& text);
// Sets the observer (nullptr: none) and returns the one set before.
TextShownObserver SetTextShownObserver(TextShownObserver observer);

// Height of the label line above a control's body, in panel pixels.
int LabelLineHeight();
