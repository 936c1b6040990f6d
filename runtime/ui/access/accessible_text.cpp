// The read-only text interface and the announcement of text changes.
#include "runtime/ui/access/accessible_text.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTimer>
#include "runtime/ui/controls/readout_widget.h"
#include "runtime/ui/controls/status_line.h"
#include "runtime/utility.h"

namespace {

AnnouncementObserver g_observer = nullptr;

}  // namespace

ReadOnlyTextAccessible::ReadOnlyTextAccessible(QWidget* widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role) {}

void* ReadOnlyTextAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QString ReadOnlyTextAccessible::currentText() const {
  if (auto* line = qobject_cast<StatusLine*>(widget())) return line->fullText();
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

namespace {

// Keeps one widget's announcements at least kMinAnnouncementGapMs apart on the
// engine's clock (Timer()): a change inside the gap waits for its end, and
// then only the newest text is told. It lives as a child of its widget and
// goes with it.
class AnnouncementPacer : public QObject {
 public:
  explicit AnnouncementPacer(QWidget* widget) : QObject(widget), widget_(widget) {
    setObjectName("announcementPacer");
    timer_.setSingleShot(true);
    // A coarse timer may fire a little early, inside the gap.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { announceWhenDue(); });
  }

  static AnnouncementPacer* Of(QWidget* widget) {
    auto* pacer =
        widget->findChild<AnnouncementPacer*>("announcementPacer", Qt::FindDirectChildrenOnly);
    return pacer != nullptr ? pacer : new AnnouncementPacer(widget);
  }

  void changed(const QString& before) {
    if (!started_) heard_ = before;
    started_ = true;
    if (!timer_.isActive()) announceWhenDue();
  }

 private:
  // Announces now when the gap since the last is over, else at its end.
  void announceWhenDue() {
    const double sinceMs = told_ ? (Timer() - lastAt_) * 1000.0 : kMinAnnouncementGapMs;
    if (sinceMs >= kMinAnnouncementGapMs) {
      announce();
    } else {
      timer_.start(static_cast<int>(kMinAnnouncementGapMs - sinceMs) + 1);
    }
  }

  void announce() {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget_);
    if (iface == nullptr) return;
    const QString now = iface->text(QAccessible::Value);
    if (now == heard_) return;
    lastAt_ = Timer();
    told_ = true;
    if (g_observer != nullptr) g_observer(widget_, now);
    if (QAccessible::isActive()) {
      if (iface->textInterface() != nullptr) {
        QAccessibleTextUpdateEvent event(widget_, 0, heard_, now);
        QAccessible::updateAccessibility(&event);
      } else {
        QAccessibleValueChangeEvent event(widget_, now);
        QAccessible::updateAccessibility(&event);
      }
    }
    heard_ = now;
  }

  QWidget* widget_;
  QTimer timer_;
  double lastAt_ = 0.0;  // Timer() of the last announcement
  bool told_ = false;
  QString heard_;
  bool started_ = false;
};

}  // namespace

void AnnounceTextChange(QWidget* widget, const QString& before, const QString& after, bool send) {
  if (before == after) return;
  if (send) {
    AnnounceChange(widget, before);
    return;
  }
  if (g_observer != nullptr) g_observer(widget, after);
}

void AnnounceChange(QWidget* widget, const QString& before) {
  if (!QAccessible::isActive() && g_observer == nullptr) return;
  AnnouncementPacer::Of(widget)->changed(before);
}

AnnouncementObserver SetAnnouncementObserver(AnnouncementObserver observer) {
  const AnnouncementObserver before = g_observer;
  g_observer = observer;
  return before;
}
