// The line monitor's window: the log's entries as a table, newest last, with
// Pause, Filter, Raw hex, Copy, Save trace..., Load trace..., Live and Clear.
// The view is brought up to the log at most once a screen refresh, and only
// while the window is shown, not paused and the log has new entries; a
// hidden window costs nothing. Its messages go to its own status label. It is
// a feature window (runtime/feature_window.h): Escape closes it, the focus
// starts on Pause, Tab leaves the table (Ctrl+Tab moves inside it).
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "monitor/line_log.h"

class LineTableModel;
class OrderFilter;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

class MonitorWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MonitorWindow(const monitor::LineLog& log);
  ~MonitorWindow() override;

  // The log has new entries.
  void LogGrew();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool live() const { return loadedPath_.isEmpty(); }
  void refresh();
  void setPaused(bool paused);
  void copySelection();
  void saveTrace();
  void loadTrace();
  void backToLive();
  void clear();
  void showSource();
  void say(const QString& message);

  const monitor::LineLog& log_;
  uint64_t clearedAt_ = 0;  // entries appended before the last Clear are not shown
  QString loadedPath_;      // the trace file shown instead of the line, if any
  QTimer refreshTimer_;
  bool followNewest_ = true;

  LineTableModel* model_;
  OrderFilter* filter_;
  QTableView* table_;
  QPushButton* pause_;
  QComboBox* orders_;
  QCheckBox* rawHex_;
  QPushButton* live_;
  QPushButton* clear_;
  QLabel* source_;
  QLabel* status_;
};
