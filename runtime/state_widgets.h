// The engine's own two-state widgets: the on/off switch, the indicator lamp and
// the radio button. Each is its own class so that the accessibility layer can
// describe it (see accessibility.cpp): role, checked state and the text of
// its current state as the value.
#pragma once

#include <QAbstractButton>
#include <QRadioButton>
#include <QString>
#include <QWidget>

// A sliding toggle with the text of its current state beside it. Checkable:
// a click or Space flips it and emits clicked(); setChecked() from the program
// emits nothing the controls listen to.
class ToggleSwitch : public QAbstractButton {
  Q_OBJECT
 public:
  ToggleSwitch(const QString& onText, const QString& offText, QWidget* parent = nullptr);
  QString stateText() const { return isChecked() ? onText_ : offText_; }
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

// A radio button whose group the program keeps exclusive (the engine does not).
class RadioIndicator : public QRadioButton {
  Q_OBJECT
 public:
  explicit RadioIndicator(const QString& text, QWidget* parent = nullptr);
  QString stateText() const { return isChecked() ? QStringLiteral("on") : QStringLiteral("off"); }
};
