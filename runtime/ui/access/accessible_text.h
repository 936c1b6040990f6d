// Read-only text as assistive technology reads it: the status line and the
// text boxes expose their whole text through the standard text interface
// (what AT-SPI's Text interface and screen readers use), keep their caption as
// their name, and announce every change of their text.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QAccessibleWidget>
#include <QString>

class QWidget;

class ReadOnlyTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  ReadOnlyTextAccessible(QWidget* widget, QAccessible::Role role);

  void* interface_cast(QAccessible::InterfaceType type) override;
  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;

  // No selection and no caret: the text is only read.
  void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}

  // Offsets are clamped to the text; an end offset of -1 means "to the end".
  QString text(int startOffset, int endOffset) const override;
  int characterCount() const override;
  QRect characterRect(int offset) const override;
  int offsetAtPoint(const QPoint& point) const override;
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* startOffset, int* endOffset) const override;

 private:
  QString currentText() const;
};

// Announcements are paced: one widget is heard at most every
// kMinAnnouncementGapMs of the engine's clock (Timer(), which a test clock can
// take over); a change inside that gap is told at its end, and only
// the newest text (a value changing ten times a second is heard twice a
// second, the newest each time). Nothing is built or sent while no assistive
// technology listens.
constexpr int kMinAnnouncementGapMs = 500;

// Tells assistive technology that `widget`'s text changed from `before` to
// `after` (paced as above). `send` is false for widgets whose text document
// already sends Qt's own text events (the text boxes); the change then only goes
// to the announcement observer, at once.
void AnnounceTextChange(QWidget* widget, const QString& before, const QString& after,
                        bool send = true);
// Tells assistive technology that what `widget` shows changed (paced as above):
// its accessible value as it stands when the announcement goes out. `before`
// is what it showed before its first change.
void AnnounceChange(QWidget* widget, const QString& before = QString());

// Every announcement goes to this observer, when one is set, as it is told (a
// text box's change at once); while one is set, changes are followed even when
// no assistive technology listens. None is set in the program; the
// test-support library sets one to record what a screen reader would hear.
using AnnouncementObserver = void (*)(QWidget* widget, const QString& text);
// Sets the observer (nullptr: none) and returns the one set before.
AnnouncementObserver SetAnnouncementObserver(AnnouncementObserver observer);
