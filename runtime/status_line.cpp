// The status line widget.
#include "runtime/status_line.h"

#include "runtime/accessible_text.h"

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setIndent(6);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
  QFont f = font();
  f.setPixelSize(std::max(13, f.pixelSize() > 0 ? f.pixelSize() + 1 : 13));
  f.setWeight(QFont::DemiBold);
  setFont(f);
}

void StatusLine::showText(const QString& text) {
  const QString before = this->text();
  if (text == before) return;
  setText(text);
  AnnounceTextChange(this, before, text);
}
