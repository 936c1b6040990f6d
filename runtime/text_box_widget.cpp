// The text box widget.
#include "runtime/text_box_widget.h"

TextBoxWidget::TextBoxWidget(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setFocusPolicy(Qt::ClickFocus);
}
