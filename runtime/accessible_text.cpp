// The read-only text interface and the announcement of text changes.
#include "runtime/accessible_text.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "runtime/inspect.h"
#include "runtime/readout_widget.h"
#include "runtime/status_line.h"

namespace {

bool recording = false;
std::vector<std::string> announcements;

}  // namespace

ReadOnlyTextAccessible::ReadOnlyTextAccessible(QWidget* widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role) {}

void* ReadOnlyTextAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QString ReadOnlyTextAccessible::currentText() const {
  if (auto* line = qobject_cast<StatusLine*>(widget())) return line->text();
  if (auto* readout = qobject_cast<ReadoutWidget*>(widget())) return readout->text();
  if (auto* box = qobject_cast<QPlainTextEdit*>(widget())) return box->toPlainText();
  return QString();
}

QString ReadOnlyTextAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Value) return currentText();
  if (t == QAccessible::Name) {
    const QString name = widget()->accessibleName();
    // Without a caption the text itself is the best name there is.
    return name.isEmpty() ? currentText() : name;
  }
  return QAccessibleWidget::text(t);
}

QAccessible::State ReadOnlyTextAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.readOnly = true;
  s.multiLine = qobject_cast<QPlainTextEdit*>(widget()) != nullptr;
  return s;
}

void ReadOnlyTextAccessible::selection(int, int* startOffset, int* endOffset) const {
  *startOffset = 0;
  *endOffset = 0;
}

QString ReadOnlyTextAccessible::text(int startOffset, int endOffset) const {
  const QString all = currentText();
  const int n = static_cast<int>(all.size());
  if (endOffset < 0 || endOffset > n) endOffset = n;
  startOffset = std::clamp(startOffset, 0, endOffset);
  return all.mid(startOffset, endOffset - startOffset);
}

int ReadOnlyTextAccessible::characterCount() const {
  return static_cast<int>(currentText().size());
}

QRect ReadOnlyTextAccessible::characterRect(int offset) const {
  // One line laid out from the left edge is close enough for a magnifier to
  // follow; the text box's lines are not laid out here.
  const QString all = currentText();
  if (offset < 0 || offset >= all.size()) return QRect();
  const QFontMetrics fm(widget()->font());
  const int x = fm.horizontalAdvance(all.left(offset));
  const QRect local(x, 0, fm.horizontalAdvance(all.at(offset)), fm.height());
  return QRect(widget()->mapToGlobal(local.topLeft()), local.size());
}

int ReadOnlyTextAccessible::offsetAtPoint(const QPoint&) const {
  return -1;
}

QString ReadOnlyTextAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
  *startOffset = offset;
  *endOffset = offset;
  return QString();
}

void AnnounceTextChange(QWidget* widget, const QString& before, const QString& after, bool send) {
  if (before == after) return;
  const bool listening = send && QAccessible::isActive();
  if (!listening && !recording) return;
  if (recording) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    const QString name = iface != nullptr ? iface->text(QAccessible::Name) : QString();
    announcements.push_back((name + ": " + after).toStdString());
  }
  if (listening) {
    QAccessibleTextUpdateEvent event(widget, 0, before, after);
    QAccessible::updateAccessibility(&event);
  }
}

void RecordAccessibleAnnouncements(bool on) {
  recording = on;
  announcements.clear();
}

std::vector<std::string> AccessibleAnnouncements() {
  return announcements;
}
