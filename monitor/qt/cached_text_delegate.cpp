#include "monitor/qt/cached_text_delegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace {
// Texts kept laid out: a few windows' worth of cells; the cache starts over
// when it is full (the rows on screen are laid out again at the next paint).
constexpr qsizetype kKeptTexts = 4096;
}  // namespace

const QStaticText& CachedTextDelegate::Laid(const QString& text, int width,
                                            const QStyleOptionViewItem& option) const {
  const QString key = text + QChar(0x1f) + QString::number(width) + QChar(0x1f) +
                      QString::number(option.textElideMode) + QChar(0x1f) + option.font.key();
  auto found = laid_.constFind(key);
  if (found != laid_.cend()) return *found;
  if (laid_.size() >= kKeptTexts) laid_.clear();
  const QString shown = QFontMetrics(option.font).elidedText(text, option.textElideMode, width);
  QStaticText laid(shown);
  laid.setTextFormat(Qt::PlainText);
  laid.setPerformanceHint(QStaticText::AggressiveCaching);
  laid.prepare(QTransform(), option.font);
  return *laid_.insert(key, laid);
}

void CachedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  const QWidget* widget = opt.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  const QVariant stripe = index.data(kStripeRole);
  if (stripe.isValid()) {
    // The row's stripe over the one the table gave it by its place, as the
    // style paints a row's background (a selected row keeps its highlight).
    opt.features.setFlag(QStyleOptionViewItem::Alternate, stripe.toBool());
    const bool highlighted =
        (opt.state & QStyle::State_Selected) &&
        style->styleHint(QStyle::SH_ItemView_ShowDecorationSelected, &opt, widget);
    if (!highlighted) {
      QPalette::ColorGroup group =
          (widget ? widget->isEnabled() : (opt.state & QStyle::State_Enabled)) ? QPalette::Normal
                                                                               : QPalette::Disabled;
      if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
      painter->fillRect(opt.rect, opt.palette.brush(group, stripe.toBool() ? QPalette::AlternateBase
                                                                           : QPalette::Base));
    }
  }
  // Background, selection and focus, as the style draws them.
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  if (text.isEmpty()) return;

  // The style's own text margin inside a cell.
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const QRect area = opt.rect.adjusted(margin, 0, -margin, 0);
  if (area.width() <= 0) return;
  const QStaticText& laid = Laid(text, area.width(), opt);
  const QSizeF size = laid.size();
  const Qt::Alignment align = QStyle::visualAlignment(opt.direction, opt.displayAlignment);
  qreal x = area.left();
  if (align & Qt::AlignRight) x = area.right() + 1 - size.width();
  if (align & Qt::AlignHCenter) x = area.left() + (area.width() - size.width()) / 2.0;
  const qreal y = area.top() + (area.height() - size.height()) / 2.0;

  const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                          : QPalette::Inactive;
  const QPalette::ColorRole role =
      (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
  painter->save();
  painter->setClipRect(area);
  painter->setPen(opt.palette.color(group, role));
  painter->setFont(opt.font);
  painter->drawStaticText(QPointF(x, y), laid);
  painter->restore();
}
