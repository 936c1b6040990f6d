// The status line: one line of read-only text in a sunken frame, readable at a
// glance and by assistive technology (its text is its accessible text and value).
#pragma once

#include <QLabel>

class StatusLine : public QLabel {
  Q_OBJECT
 public:
  explicit StatusLine(QWidget* parent = nullptr);
  // Shows `text` and tells assistive technology that the text changed.
  void showText(const QString& text);
};
