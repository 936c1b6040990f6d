// The entry fields of numeric controls. Two rules an operator relies on:
// - A typed number is never turned into another one by losing keystrokes: any
//   number may be typed; when the entry ends (Enter or leaving the field) a
//   value beyond the range becomes the nearest limit, and a real number is
//   rounded to the shown decimals. A whole-number field refuses a fraction
//   (or an empty entry): it keeps its value and its tooltip says why.
// - Enter (or Return) always ends an entry as a commit, also when the value
//   stayed the same; `onEnterUnchanged` is then called (a changed value is
//   reported by the spin box's valueChanged as usual).
// A number that had to become a limit is said: `onCoerced` gets the words for
// it ("99999 is beyond 0..1024: set to 1024", in the unit the field shows) and
// whether the field held that limit already (then no value change follows).
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <functional>

class WholeNumberBox : public QSpinBox {
 public:
  explicit WholeNumberBox(QWidget* parent = nullptr);
  std::function<void()> onEnterUnchanged;
  std::function<void(const QString& note, bool unchanged)> onCoerced;
  // Why the last entry was refused ("" after a value was taken).
  const QString& refusal() const { return refusal_; }
  // Shows value v as trunc(v x factor / divisor) and takes a typed number n
  // as the whole value nearest n x divisor / factor; 1, 1 shows v itself.
  void setShownScale(double factor, double divisor);

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  void keyPressEvent(QKeyEvent* event) override;
  QString textFromValue(int value) const override;
  int valueFromText(const QString& text) const override;

 private:
  bool scaled() const { return factor_ != divisor_; }
  // The value a number typed in the shown unit stands for, before the range.
  double heldOf(double shown) const;

  QString refusal_;
  double factor_ = 1.0, divisor_ = 1.0;
};

class RealNumberBox : public QDoubleSpinBox {
 public:
  explicit RealNumberBox(QWidget* parent = nullptr);
  std::function<void()> onEnterUnchanged;
  std::function<void(const QString& note, bool unchanged)> onCoerced;

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  void keyPressEvent(QKeyEvent* event) override;
};
