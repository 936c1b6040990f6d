// The record of announcements to assistive technology, for tests: each as
// "name: new text", the name being what a screen reader says first.
#include <QAccessible>
#include <QWidget>
#include <string>
#include <vector>

#include "runtime/testing/inspect.h"
#include "runtime/ui/access/accessible_text.h"

namespace {

std::vector<std::string>& Heard() {
  static std::vector<std::string> heard;
  return heard;
}

void Keep(QWidget* widget, const QString& text) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
  const QString name = iface != nullptr ? iface->text(QAccessible::Name) : QString();
  Heard().push_back((name + ": " + text).toStdString());
}

}  // namespace

void RecordAccessibleAnnouncements(bool on) {
  SetAnnouncementObserver(on ? &Keep : nullptr);
  Heard().clear();
}

std::vector<std::string> AccessibleAnnouncements() {
  return Heard();
}
