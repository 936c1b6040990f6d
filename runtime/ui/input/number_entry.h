// The entry fields of numeric controls. Two rules an operator relies on:
// - A typed number is never turned into another one by losing keystrokes: any
//   number may be typed; when the entry ends (Enter or leaving the field) a
//   value beyond the range becomes the nearest limit, and a real number is
//   rounded to the shown decimals. A whole-number field refuses a fraction
//   (or an empty entry): it keeps its value and its tooltip says why.
// - Enter (or Return) always ends an entry as a commit, also when the value
//   stayed the same; `onEnterUnchanged` is then called (a changed value is
//   reported by the spin box's valueChanged as usual).
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <functional>

class WholeNumberBox : public QSpinBox {
 public:
  explicit WholeNumberBox(QWidget* parent = nullptr);
  std::function<void()> onEnterUnchanged;
  // Why the last entry was refused ("" after a value was taken).
  const QString& refusal() const { return refusal_; }

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString refusal_;
};

class RealNumberBox : public QDoubleSpinBox {
 public:
  explicit RealNumberBox(QWidget* parent = nullptr);
  std::function<void()> onEnterUnchanged;

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  void keyPressEvent(QKeyEvent* event) override;
};
