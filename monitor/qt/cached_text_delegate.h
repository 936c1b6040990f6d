// Paints the line monitor's cells with their text laid out once. The table
// follows the line ten times a second and each picture redraws every visible
// cell; the standard delegate shapes (and elides) each cell's text anew at
// every paint, which was most of what the open window cost a paced Run. Here
// the style still draws each cell's background, selection and focus, and the
// text comes from a cache of laid-out, elided texts.
//
// A row's stripe (the alternating background) comes from the model's
// kStripeRole where it gives one, not from the row's place in the table: rows
// that leave at the top then do not repaint every row below in the other
// stripe, and a row keeps its stripe as it moves up.
#pragma once

#include <QHash>
#include <QStaticText>
#include <QString>
#include <QStyledItemDelegate>

class CachedTextDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // A bool: the row is striped (drawn in the alternate base colour).
  static constexpr int kStripeRole = Qt::UserRole + 1;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  // The laid-out text of `text` elided to `width` in `option`'s font and
  // elide mode.
  const QStaticText& Laid(const QString& text, int width, const QStyleOptionViewItem& option) const;

  mutable QHash<QString, QStaticText> laid_;
};
