// The line monitor's table: one row an entry, newest last, in the columns Time
// (ms), Dir, Bytes, Order, Response (ms) and Decoded (the bytes in hex instead
// when raw hex is on). It holds its own copy of the entries it shows, so that
// a paused view stays as it is while the log goes on; Follow() brings it up to
// the log in one step (rows the log dropped for room leave at the top, new
// ones come at the bottom), ShowEntries() replaces it with a loaded trace.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QSortFilterProxyModel>
#include <cstdint>
#include <deque>
#include <vector>

#include "monitor/line_entry.h"
#include "monitor/line_log.h"

class LineTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kTime, kDir, kBytes, kOrder, kResponse, kDecoded, kColumnCount };
  // A cell's whole text (the display role shortens a long one).
  static constexpr int kFullTextRole = Qt::UserRole;

  explicit LineTableModel(QObject* parent = nullptr);

  // Shows the log's entries appended from the `since`-th on (entries counted as
  // LineLog::Appended counts them). Returns true when rows came or went.
  bool Follow(const monitor::LineLog& log, uint64_t since);
  // Shows `entries` instead, until the next Follow.
  void ShowEntries(const std::vector<monitor::LineEntry>& entries);
  void SetRawHex(bool on);

  const monitor::LineEntry& EntryAt(int row) const { return rows_[row]; }
  // The row's entry counted as the log counts them (for a loaded trace, the
  // row); the next one to come for rowCount(). Rows keep their stripe by it.
  uint64_t Sequence(int row) const { return firstSeq_ + static_cast<uint64_t>(row); }
  // Whether the last Follow built the rows afresh rather than moving them on.
  bool Rebuilt() const { return rebuilt_; }
  const std::deque<monitor::LineEntry>& Entries() const { return rows_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  QString text(int row, int column) const;
  const QString& decoded(int row) const;

  std::deque<monitor::LineEntry> rows_;
  // The decoded text of each row, made when the row is first drawn: a view
  // that follows the line redraws the same rows many times.
  mutable std::deque<QString> decoded_;
  uint64_t firstSeq_ = 0;    // the log's count of rows_.front(); 0 after ShowEntries
  uint64_t stripeBase_ = 0;  // the first row's count when the rows were built: unstriped
  bool following_ = false;
  bool rebuilt_ = false;
  bool rawHex_ = false;
  QFont fixedFont_;
};

// Rows of one order only (its requests, replies and time-outs), or all.
class OrderFilter : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  // 0: every row.
  void SetOrder(int order);

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  int order_ = 0;
};
