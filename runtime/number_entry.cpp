// Typed numbers coerced to the range, and Enter that always commits.
#include "runtime/number_entry.h"

#include <QKeyEvent>
#include <QPointer>
#include <QRegularExpression>
#include <cmath>

namespace {

bool IsEnter(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// The number in an entry, without the spin box's prefix, suffix and blanks.
QString Bare(const QString& input, const QString& prefix, const QString& suffix) {
  QString t = input;
  if (!prefix.isEmpty() && t.startsWith(prefix)) t.remove(0, prefix.size());
  if (!suffix.isEmpty() && t.endsWith(suffix)) t.chop(suffix.size());
  return t.trimmed();
}

// Calls the Enter hook when Enter left the value as it was. The hook may
// discard the panel; the box itself lives on until it is safe to destroy it.
template <typename Box, typename BaseHandler>
void PressKey(Box* box, QKeyEvent* event, BaseHandler base) {
  if (!IsEnter(event)) {
    base(event);
    return;
  }
  const auto before = box->value();
  QPointer<Box> guard(box);
  base(event);
  if (!guard.isNull() && box->value() == before && box->onEnterUnchanged) box->onEnterUnchanged();
}

}  // namespace

WholeNumberBox::WholeNumberBox(QWidget* parent) : QSpinBox(parent) {}

QValidator::State WholeNumberBox::validate(QString& input, int& pos) const {
  const QValidator::State state = QSpinBox::validate(input, pos);
  if (state != QValidator::Invalid) return state;
  // Out of range, or too many digits for the range: still a number the
  // operator means; it is coerced when the entry ends.
  static const QRegularExpression whole("^[+-]?\\d{1,18}$");
  return whole.match(Bare(input, prefix(), suffix())).hasMatch() ? QValidator::Intermediate
                                                                 : QValidator::Invalid;
}

void WholeNumberBox::fixup(QString& input) const {
  bool ok = false;
  const double typed = Bare(input, prefix(), suffix()).toDouble(&ok);
  if (!ok) return QSpinBox::fixup(input);
  const double coerced = std::clamp(std::trunc(typed), double(minimum()), double(maximum()));
  input = prefix() + textFromValue(static_cast<int>(coerced)) + suffix();
}

void WholeNumberBox::keyPressEvent(QKeyEvent* event) {
  PressKey(this, event, [this](QKeyEvent* e) { QSpinBox::keyPressEvent(e); });
}

RealNumberBox::RealNumberBox(QWidget* parent) : QDoubleSpinBox(parent) {}

QValidator::State RealNumberBox::validate(QString& input, int& pos) const {
  const QValidator::State state = QDoubleSpinBox::validate(input, pos);
  if (state != QValidator::Invalid) return state;
  // Out of range or more decimals than shown: coerced when the entry ends.
  const QString bare = Bare(input, prefix(), suffix());
  static const QRegularExpression real("^[+-]?\\d{0,18}([.,]\\d{0,18})?$");
  return real.match(bare).hasMatch() && bare.contains(QRegularExpression("\\d"))
             ? QValidator::Intermediate
             : QValidator::Invalid;
}

void RealNumberBox::fixup(QString& input) const {
  QString bare = Bare(input, prefix(), suffix());
  bool ok = false;
  double typed = locale().toDouble(bare, &ok);
  if (!ok) typed = bare.replace(',', '.').toDouble(&ok);
  if (!ok) return QDoubleSpinBox::fixup(input);
  const double scale = std::pow(10.0, decimals());
  const double coerced = std::clamp(std::round(typed * scale) / scale, minimum(), maximum());
  input = prefix() + textFromValue(coerced) + suffix();
}

void RealNumberBox::keyPressEvent(QKeyEvent* event) {
  PressKey(this, event, [this](QKeyEvent* e) { QDoubleSpinBox::keyPressEvent(e); });
}
