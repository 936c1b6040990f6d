// The status line: one line of read-only text in a sunken frame, readable at a
// glance and by assistive technology (its whole text is its accessible text and
// value, and its tooltip). A text wider than the line is shortened in the
// middle, so that both its start and its end (a file name) stay in sight.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QLabel>

class StatusLine : public QLabel {
  Q_OBJECT
 public:
  explicit StatusLine(QWidget* parent = nullptr);
  // Shows `text` and tells assistive technology that the text changed.
  void showText(const QString& text);
  // The text as given, however much of it fits on the line.
  const QString& fullText() const { return fullText_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void fit();

  QString fullText_;
};
