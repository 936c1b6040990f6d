// Typed numbers coerced to the range, and Enter that always commits.
#include "runtime/ui/input/number_entry.h"

#include <QKeyEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QToolTip>
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

WholeNumberBox::WholeNumberBox(QWidget* parent) : QSpinBox(parent) {
  // A refusal's explanation stays until a value is taken again.
  connect(this, &QSpinBox::valueChanged, this, [this] {
    if (!refusal_.isEmpty() && toolTip() == refusal_) setToolTip(QString());
    refusal_.clear();
  });
}

QValidator::State WholeNumberBox::validate(QString& input, int& pos) const {
  const QValidator::State state = QSpinBox::validate(input, pos);
  if (state != QValidator::Invalid) return state;
  // Out of range, too many digits for the range, a sign or a fraction: every
  // keystroke stays, so the entry is judged as typed when it ends ("7.5" must
  // not become 75, nor "-5" become 5).
  static const QRegularExpression typed("^[+-]?\\d{0,18}([.,]\\d{0,18})?$");
  return typed.match(Bare(input, prefix(), suffix())).hasMatch() ? QValidator::Intermediate
                                                                 : QValidator::Invalid;
}

void WholeNumberBox::fixup(QString& input) const {
  const QString bare = Bare(input, prefix(), suffix());
  bool ok = false;
  const double typed = QString(bare).replace(',', '.').toDouble(&ok);
  if (!ok || typed != std::trunc(typed)) {
    // Not a whole number: the entry is refused and the spin box goes back to
    // its value; the tooltip says why.
    auto* self = const_cast<WholeNumberBox*>(this);
    self->refusal_ = QStringLiteral("%1 is not a whole number: kept %2")
                         .arg(bare.isEmpty() ? QStringLiteral("An empty entry") : bare)
                         .arg(value());
    self->setToolTip(refusal_);
    if (isVisible()) QToolTip::showText(mapToGlobal(QPoint(0, height())), refusal_, self);
    return;
  }
  const double coerced = std::clamp(typed, double(minimum()), double(maximum()));
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
