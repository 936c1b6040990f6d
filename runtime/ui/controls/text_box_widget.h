// The widget of a read-only text box: several lines of plain text, scrollable,
// not editable. Its own class so that the accessibility layer gives it the
// read-only text interface (accessible_text.h).
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QPlainTextEdit>

class TextBoxWidget : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TextBoxWidget(QWidget* parent = nullptr);
};
