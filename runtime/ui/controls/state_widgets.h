// The engine's own two-state widgets: the on/off switch, the indicator lamp and
// the radio button. Each is its own class so that the accessibility layer can
// describe it (see accessibility.cpp): role, checked state and the text of
// its current state as the value.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QRadioButton>
#include <QString>
#include <QWidget>
#include <functional>

// A sliding toggle with the text of its current state beside it. Checkable:
// a click or Space flips it and emits clicked(); setChecked() from the program
// emits nothing the controls listen to.
class ToggleSwitch : public QAbstractButton {
  Q_OBJECT
 public:
  ToggleSwitch(const QString& onText, const QString& offText, QWidget* parent = nullptr);
  QString stateText() const { return isChecked() ? onText_ : offText_; }
  const QString& onText() const { return onText_; }
  const QString& offText() const { return offText_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;

 private:
  QString onText_, offText_;
};

// A round lamp with a caption beside it. Read-only (an indicator) unless the
// panel lets the operator switch it: then a click or Space flips it and emits
// clicked(), like the switch.
class LedLamp : public QAbstractButton {
  Q_OBJECT
 public:
  LedLamp(const QString& caption, int onColor, bool operatorCanSwitch, QWidget* parent = nullptr);
  bool operatorCanSwitch() const { return operatorCanSwitch_; }
  QString stateText() const { return isChecked() ? QStringLiteral("on") : QStringLiteral("off"); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  QColor onColor_;
  bool operatorCanSwitch_;
};

// A radio button whose group the program keeps exclusive (the engine does not
// switch a sibling off). A click or Space on the selected button leaves it
// selected; the arrow keys ask for the next (+1) or previous (-1) button of
// the group through arrowStep().
class RadioIndicator : public QRadioButton {
  Q_OBJECT
 public:
  explicit RadioIndicator(const QString& text, QWidget* parent = nullptr);
  QString stateText() const { return isChecked() ? QStringLiteral("on") : QStringLiteral("off"); }

 signals:
  void arrowStep(int step);

 protected:
  void nextCheckState() override;
  void keyPressEvent(QKeyEvent* event) override;
  // The whole box takes the click, not only the circle and its text.
  bool hitButton(const QPoint& pos) const override;
};

// The body of a ring or drop-down: a plain combo box of its own class, so that
// assistive technology names it by the control's label (accessibility.cpp).
// `beforePopup`, when set, runs each time the list opens (the port selector
// relabels its items then).
class RingBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  std::function<void()> beforePopup;
  void showPopup() override {
    if (beforePopup) beforePopup();
    QComboBox::showPopup();
  }
};
