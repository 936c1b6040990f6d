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

// Every keystroke of a number stays, so the entry is judged as typed when it
// ends: out of range, too many digits for the range, a sign or a fraction
// ("7.5" must not become 75, nor "-5" become 5).
const QRegularExpression& TypedNumber() {
  static const QRegularExpression typed("^[+-]?\\d{0,18}([.,]\\d{0,18})?$");
  return typed;
}

// "99999 is beyond 0..1024: set to 1024".
QString CoercionNote(const QString& typed, const QString& low, const QString& high,
                     const QString& taken) {
  return QStringLiteral("%1 is beyond %2..%3: set to %4").arg(typed, low, high, taken);
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
  if (scaled()) {
    // The spin box's own check reads the number as the value; here it is the
    // value in the shown unit.
    const QString bare = Bare(input, prefix(), suffix());
    if (!TypedNumber().match(bare).hasMatch()) return QValidator::Invalid;
    bool ok = false;
    const qlonglong shown = bare.toLongLong(&ok);
    if (!ok) return QValidator::Intermediate;
    const double held = heldOf(static_cast<double>(shown));
    return held >= minimum() && held <= maximum() ? QValidator::Acceptable
                                                  : QValidator::Intermediate;
  }
  const QValidator::State state = QSpinBox::validate(input, pos);
  if (state != QValidator::Invalid) return state;
  return TypedNumber().match(Bare(input, prefix(), suffix())).hasMatch() ? QValidator::Intermediate
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
                         .arg(textFromValue(value()) + suffix());
    self->setToolTip(refusal_);
    if (isVisible()) QToolTip::showText(mapToGlobal(QPoint(0, height())), refusal_, self);
    return;
  }
  const double held = scaled() ? heldOf(typed) : typed;
  const double coerced = std::clamp(held, double(minimum()), double(maximum()));
  input = prefix() + textFromValue(static_cast<int>(coerced)) + suffix();
  if (coerced != held && onCoerced) {
    onCoerced(
        CoercionNote(bare + suffix(), textFromValue(minimum()), textFromValue(maximum()) + suffix(),
                     textFromValue(static_cast<int>(coerced)) + suffix()),
        static_cast<int>(coerced) == value());
  }
}

void WholeNumberBox::setShownScale(double factor, double divisor) {
  factor_ = factor;
  divisor_ = divisor;
}

double WholeNumberBox::heldOf(double shown) const {
  return std::round(shown * divisor_ / factor_);
}

QString WholeNumberBox::textFromValue(int value) const {
  if (!scaled()) return QSpinBox::textFromValue(value);
  return QString::number(static_cast<qlonglong>(std::trunc(value * factor_ / divisor_)));
}

int WholeNumberBox::valueFromText(const QString& text) const {
  if (!scaled()) return QSpinBox::valueFromText(text);
  const double held = heldOf(Bare(text, prefix(), suffix()).toDouble());
  return static_cast<int>(std::clamp(held, double(minimum()), double(maximum())));
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
  return TypedNumber().match(bare).hasMatch() && bare.contains(QRegularExpression("\\d"))
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
  const double rounded = std::round(typed * scale) / scale;
  const double coerced = std::clamp(rounded, minimum(), maximum());
  input = prefix() + textFromValue(coerced) + suffix();
  if (coerced != rounded && onCoerced) {
    onCoerced(CoercionNote(bare + suffix(), textFromValue(minimum()),
                           textFromValue(maximum()) + suffix(), textFromValue(coerced) + suffix()),
              coerced == value());
  }
}

void RealNumberBox::keyPressEvent(QKeyEvent* event) {
  PressKey(this, event, [this](QKeyEvent* e) { QDoubleSpinBox::keyPressEvent(e); });
}
