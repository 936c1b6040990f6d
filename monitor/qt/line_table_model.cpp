#include "monitor/qt/line_table_model.h"

#include <QApplication>
#include <QColor>
#include <QFontDatabase>
#include <algorithm>

#include "monitor/frame_decode.h"
#include "monitor/qt/cached_text_delegate.h"
#include "protocol/orders.h"

using monitor::EntryKind;
using monitor::LineEntry;

constexpr int kShownCharacters = 160;

namespace {

bool OfAnOrder(EntryKind kind) {
  return kind == EntryKind::kRequest || kind == EntryKind::kReply || kind == EntryKind::kTimeout;
}

QString Direction(EntryKind kind) {
  if (kind == EntryKind::kRequest) return ">";
  if (kind == EntryKind::kReply) return "<";
  return "-";
}

}  // namespace

LineTableModel::LineTableModel(QObject* parent)
    : QAbstractTableModel(parent), fixedFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
  // As large as the rest of the table's text.
  const int pixels = QApplication::font().pixelSize();
  if (pixels > 0) fixedFont_.setPixelSize(pixels);
}

bool LineTableModel::Follow(const monitor::LineLog& log, uint64_t since) {
  const std::deque<LineEntry>& entries = log.Entries();
  const uint64_t end = log.Appended();
  const uint64_t logFirst = end - entries.size();
  const uint64_t first = std::max(logFirst, since);
  const uint64_t shownEnd = firstSeq_ + rows_.size();
  // Anything but the same run of entries moved on is built afresh.
  rebuilt_ = !following_ || first < firstSeq_ || first > shownEnd || end < shownEnd;
  if (rebuilt_) {
    beginResetModel();
    rows_.assign(entries.begin() + (first - logFirst), entries.end());
    decoded_.assign(rows_.size(), QString());
    firstSeq_ = stripeBase_ = first;
    following_ = true;
    endResetModel();
    return true;
  }
  bool changed = false;
  if (first > firstSeq_) {
    beginRemoveRows(QModelIndex(), 0, static_cast<int>(first - firstSeq_) - 1);
    rows_.erase(rows_.begin(), rows_.begin() + (first - firstSeq_));
    decoded_.erase(decoded_.begin(), decoded_.begin() + (first - firstSeq_));
    firstSeq_ = first;
    endRemoveRows();
    changed = true;
  }
  if (end > shownEnd) {
    const int at = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), at, at + static_cast<int>(end - shownEnd) - 1);
    rows_.insert(rows_.end(), entries.begin() + (shownEnd - logFirst), entries.end());
    decoded_.resize(rows_.size());
    endInsertRows();
    changed = true;
  }
  return changed;
}

void LineTableModel::ShowEntries(const std::vector<LineEntry>& entries) {
  beginResetModel();
  rows_.assign(entries.begin(), entries.end());
  decoded_.assign(rows_.size(), QString());
  firstSeq_ = stripeBase_ = 0;
  following_ = false;
  endResetModel();
}

void LineTableModel::SetRawHex(bool on) {
  if (on == rawHex_) return;
  rawHex_ = on;
  if (!rows_.empty())
    emit dataChanged(index(0, kDecoded), index(static_cast<int>(rows_.size()) - 1, kDecoded),
                     {Qt::DisplayRole, Qt::ToolTipRole, Qt::FontRole});
}

int LineTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LineTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

const QString& LineTableModel::decoded(int row) const {
  if (decoded_[row].isEmpty())
    decoded_[row] = QString::fromStdString(monitor::DescribeEntry(rows_[row]));
  return decoded_[row];
}

QString LineTableModel::text(int row, int column) const {
  const LineEntry& e = rows_[row];
  switch (column) {
    case kTime:
      return QString::number(e.timeMs, 'f', 1);
    case kDir:
      return Direction(e.kind);
    case kBytes:
      if (e.kind == EntryKind::kOutputFlushed && e.value > 0) return QString::number(e.value);
      return e.bytes.empty() ? QString() : QString::number(e.bytes.size());
    case kOrder:
      return OfAnOrder(e.kind) && e.order != 0
                 ? QString::fromStdString(protocol::OrderName(e.order))
                 : QString();
    case kResponse:
      return e.responseMs >= 0.0 ? QString::number(e.responseMs, 'f', 1) : QString();
    case kDecoded:
      // An event without bytes has nothing to show in hex: its words stay.
      if (rawHex_ && !e.bytes.empty())
        return QString::fromStdString(monitor::HexBytes(e.bytes, true));
      return decoded(row);
  }
  return QString();
}

QVariant LineTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return QVariant();
  const LineEntry& e = rows_[index.row()];
  const int column = index.column();
  // A row shows no more than a wide window holds: eliding a long text costs
  // its whole layout, at every repaint.
  if (role == Qt::DisplayRole) return text(index.row(), column).left(kShownCharacters);
  // The whole text where the column cuts it short.
  if (role == Qt::ToolTipRole && column == kDecoded) return text(index.row(), column);
  if (role == kFullTextRole) return text(index.row(), column);
  if (role == CachedTextDelegate::kStripeRole)
    return ((Sequence(index.row()) - stripeBase_) & 1) != 0;
  if (role == Qt::TextAlignmentRole) {
    if (column == kDir) return QVariant(Qt::AlignCenter);
    if (column != kDecoded && column != kOrder) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  // Hex lines up byte under byte in a fixed-pitch font.
  if (role == Qt::FontRole && column == kDecoded && rawHex_ && !e.bytes.empty()) return fixedFont_;
  if (role == Qt::ForegroundRole && (e.kind == EntryKind::kTimeout || e.kind == EntryKind::kLost))
    return QColor(0xB0, 0x20, 0x20);
  return QVariant();
}

QVariant LineTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
  static const char* const kTitles[kColumnCount] = {"Time (ms)", "Dir",           "Bytes",
                                                    "Order",     "Response (ms)", "Decoded"};
  return section >= 0 && section < kColumnCount ? QString(kTitles[section]) : QVariant();
}

void OrderFilter::SetOrder(int order) {
  if (order == order_) return;
  order_ = order;
  invalidateRowsFilter();
}

bool OrderFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  if (order_ == 0) return true;
  const auto* model = static_cast<const LineTableModel*>(sourceModel());
  const LineEntry& e = model->EntryAt(sourceRow);
  return OfAnOrder(e.kind) && e.order == order_;
}
