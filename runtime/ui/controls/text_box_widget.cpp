// The text box widget.
#include "runtime/ui/controls/text_box_widget.h"

TextBoxWidget::TextBoxWidget(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setFocusPolicy(Qt::ClickFocus);
}
