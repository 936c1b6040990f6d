// The status line widget.
#include "runtime/ui/controls/status_line.h"

#include <QEvent>
#include <QFontMetrics>

#include "runtime/ui/access/accessible_text.h"

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setIndent(6);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
  // The shortened text must not widen the line again.
  setMinimumWidth(1);
  QFont f = font();
  f.setPixelSize(std::max(13, f.pixelSize() > 0 ? f.pixelSize() + 1 : 13));
  f.setWeight(QFont::DemiBold);
  setFont(f);
}

void StatusLine::showText(const QString& text) {
  const QString before = fullText_;
  if (text == before) return;
  fullText_ = text;
  setToolTip(text);
  fit();
  AnnounceTextChange(this, before, text);
}

void StatusLine::fit() {
  const int room = contentsRect().width() - 2 * indent() - 2;
  setText(QFontMetrics(font()).elidedText(fullText_, Qt::ElideMiddle, std::max(room, 0)));
}

void StatusLine::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  fit();
}

void StatusLine::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) fit();
}
