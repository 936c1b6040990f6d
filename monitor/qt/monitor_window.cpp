#include "monitor/qt/monitor_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "monitor/qt/cached_text_delegate.h"
#include "monitor/qt/line_table_model.h"
#include "monitor/qt/trace_files.h"
#include "protocol/orders.h"
#include "runtime/feature_window.h"
#include "runtime/utility.h"

namespace {

// Following a busy line, the table moves 10 times a second: quick enough to
// watch, and each picture redraws the whole table (several milliseconds of
// the thread that also serves the line), so more would slow the line down.
constexpr int kRefreshMs = 100;
constexpr char kTitle[] = "Line monitor";
constexpr char kTraceFilter[] = "*.trace";

QPushButton* Command(const QString& text, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAccessibleName(name);
  button->setAutoDefault(false);
  return button;
}

// The program's folder, where the dialogs start.
QString ProgramDir() {
  char dir[UI_PATH_MAX] = "";
  GetProjectDir(dir, sizeof dir);
  return QString::fromLocal8Bit(dir);
}

}  // namespace

MonitorWindow::MonitorWindow(const monitor::LineLog& log)
    : QWidget(nullptr, Qt::Window), log_(log) {
  setObjectName("LineMonitorWindow");
  setWindowTitle(kTitle);
  setAttribute(Qt::WA_QuitOnClose, false);

  pause_ = Command("&Pause", "Pause", this);
  pause_->setCheckable(true);
  auto* filterLabel = new QLabel("&Filter:", this);
  orders_ = new QComboBox(this);
  orders_->setAccessibleName("Filter");
  filterLabel->setBuddy(orders_);
  orders_->addItem("All orders", 0);
  for (int order = protocol::kFirstOrder; order <= protocol::kLastOrder; ++order)
    orders_->addItem(QString::fromStdString(protocol::OrderName(order)), order);
  rawHex_ = new QCheckBox("Raw &hex", this);
  rawHex_->setAccessibleName("Raw hex");
  auto* copy = Command("&Copy", "Copy", this);
  copy->setToolTip("Copy the selected rows (Ctrl+C)");
  auto* save = Command("&Save trace...", "Save trace...", this);
  auto* load = Command("&Load trace...", "Load trace...", this);
  live_ = Command("Li&ve", "Live", this);
  live_->setToolTip("Back to the line");
  clear_ = Command("Cl&ear", "Clear", this);

  auto* commands = new QHBoxLayout;
  commands->addWidget(pause_);
  commands->addSpacing(8);
  commands->addWidget(filterLabel);
  commands->addWidget(orders_);
  commands->addWidget(rawHex_);
  commands->addSpacing(8);
  commands->addWidget(copy);
  commands->addWidget(save);
  commands->addWidget(load);
  commands->addWidget(live_);
  commands->addWidget(clear_);
  commands->addStretch(1);

  source_ = new QLabel(this);
  source_->setObjectName("shownSource");
  source_->setStyleSheet("QLabel { background: #fff3c4; padding: 3px; }");

  model_ = new LineTableModel(this);
  filter_ = new OrderFilter(this);
  filter_->setSourceModel(model_);
  table_ = new QTableView(this);
  table_->setAccessibleName("Line entries");
  // The filter stands between only while an order is chosen: following the
  // full log through it would map all 10,000 rows at each refresh.
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setWordWrap(false);
  table_->setAlternatingRowColors(true);
  table_->setItemDelegate(new CachedTextDelegate(table_));
  table_->verticalHeader()->hide();
  // Fixed row heights and column widths: 10,000 rows cost no measuring.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  const int digit = table_->fontMetrics().horizontalAdvance('0');
  const int widths[] = {11, 4, 6, 14, 13};
  for (int column = 0; column < 5; ++column)
    table_->setColumnWidth(column, widths[column] * digit + 12);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->installEventFilter(this);
  LetTabLeaveTable(table_);

  status_ = new QLabel(this);
  // No name of its own: assistive technology reads (and hears of) its text.
  status_->setObjectName("messages");
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(commands);
  layout->addWidget(source_);
  layout->addWidget(table_, 1);
  layout->addWidget(status_);
  resize(1040, 560);

  // The view follows the newest row until the operator scrolls up to read,
  // and again once back at the bottom. The range also grows when the window
  // is laid out or resized, not only with new rows.
  QScrollBar* bar = table_->verticalScrollBar();
  connect(bar, &QScrollBar::valueChanged, this,
          [this, bar](int value) { followNewest_ = value >= bar->maximum(); });
  connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
    if (followNewest_) bar->setValue(maximum);
  });

  refreshTimer_.setSingleShot(true);
  refreshTimer_.setInterval(kRefreshMs);
  connect(&refreshTimer_, &QTimer::timeout, this, &MonitorWindow::refresh);
  connect(pause_, &QPushButton::toggled, this, &MonitorWindow::setPaused);
  connect(orders_, &QComboBox::currentIndexChanged, this, [this] {
    const int order = orders_->currentData().toInt();
    filter_->SetOrder(order);
    table_->setModel(order == 0 ? static_cast<QAbstractItemModel*>(model_) : filter_);
    table_->scrollToBottom();
  });
  connect(rawHex_, &QCheckBox::toggled, model_, &LineTableModel::SetRawHex);
  connect(copy, &QPushButton::clicked, this, &MonitorWindow::copySelection);
  connect(save, &QPushButton::clicked, this, &MonitorWindow::saveTrace);
  connect(load, &QPushButton::clicked, this, &MonitorWindow::loadTrace);
  connect(live_, &QPushButton::clicked, this, &MonitorWindow::backToLive);
  connect(clear_, &QPushButton::clicked, this, &MonitorWindow::clear);
  showSource();
  PrepareFeatureWindow(this, pause_);
}

MonitorWindow::~MonitorWindow() = default;

void MonitorWindow::LogGrew() {
  if (isVisible() && live() && !pause_->isChecked() && !refreshTimer_.isActive())
    refreshTimer_.start();
}

void MonitorWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (live() && !pause_->isChecked()) refresh();
}

void MonitorWindow::hideEvent(QHideEvent* event) {
  refreshTimer_.stop();
  QWidget::hideEvent(event);
}

void MonitorWindow::refresh() {
  refreshTimer_.stop();
  if (model_->Follow(log_, clearedAt_) && followNewest_) table_->scrollToBottom();
}

void MonitorWindow::setPaused(bool paused) {
  if (paused) {
    refreshTimer_.stop();
    say("Paused: the view holds, the line is still recorded.");
  } else {
    say(QString());
    if (live()) {
      refresh();
      table_->scrollToBottom();
    }
  }
}

bool MonitorWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    copySelection();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void MonitorWindow::copySelection() {
  QModelIndexList rows = table_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  QStringList lines;
  for (const QModelIndex& row : rows) {
    QStringList cells;
    for (int column = 0; column < table_->model()->columnCount(); ++column)
      cells << table_->model()
                   ->index(row.row(), column)
                   .data(LineTableModel::kFullTextRole)
                   .toString();
    lines << cells.join('\t');
  }
  if (lines.isEmpty()) {
    say("Nothing selected to copy.");
    return;
  }
  QApplication::clipboard()->setText(lines.join('\n') + '\n');
  say(QString("Copied %1 row%2.").arg(lines.size()).arg(lines.size() == 1 ? "" : "s"));
}

void MonitorWindow::saveTrace() {
  char path[UI_PATH_MAX] = "";
  const QByteArray dir = ProgramDir().toLocal8Bit();
  if (FileSelectPopup(dir.constData(), "line.trace", kTraceFilter, "Save trace", UI_FILE_BUTTON_OK,
                      0, 1, 1, 1, path) <= 0)
    return;
  // Everything shown: the line's entries since the last Clear (also those a
  // pause holds back), or the loaded file's.
  std::deque<monitor::LineEntry> entries;
  if (live()) {
    const uint64_t logFirst = log_.Appended() - log_.Entries().size();
    const uint64_t first = std::max(logFirst, clearedAt_);
    entries.assign(log_.Entries().begin() + (first - logFirst), log_.Entries().end());
  } else {
    entries = model_->Entries();
  }
  const QString file = QString::fromLocal8Bit(path);
  const QString error = SaveTraceFile(file, entries);
  if (!error.isEmpty()) {
    say(QString("Trace not saved: %1: %2").arg(file, error));
    return;
  }
  say(QString("Saved %1 entries to %2").arg(entries.size()).arg(file));
}

void MonitorWindow::loadTrace() {
  char path[UI_PATH_MAX] = "";
  const QByteArray dir = ProgramDir().toLocal8Bit();
  if (FileSelectPopup(dir.constData(), "", kTraceFilter, "Load trace", UI_FILE_BUTTON_LOAD, 0, 0, 1,
                      0, path) <= 0)
    return;
  const QString file = QString::fromLocal8Bit(path);
  const LoadedTrace loaded = LoadTraceFile(file);
  if (!loaded.error.isEmpty()) {
    say(QString("%1: %2").arg(file, loaded.error));
    return;
  }
  refreshTimer_.stop();
  loadedPath_ = file;
  model_->ShowEntries(loaded.entries);
  table_->scrollToTop();
  followNewest_ = false;  // a file is read from its start
  showSource();
  say(QString("Loaded %1 entries from %2").arg(loaded.entries.size()).arg(file));
}

void MonitorWindow::backToLive() {
  loadedPath_.clear();
  showSource();
  say(QString());
  refresh();
  table_->scrollToBottom();
}

void MonitorWindow::clear() {
  clearedAt_ = log_.Appended();
  refresh();
  say("Cleared: the view and Save trace start from here.");
}

void MonitorWindow::showSource() {
  const bool isLive = live();
  live_->setVisible(!isLive);
  clear_->setEnabled(isLive);
  pause_->setEnabled(isLive);
  source_->setVisible(!isLive);
  if (isLive) {
    setWindowTitle(kTitle);
    source_->clear();
  } else {
    setWindowTitle(QString("%1 \u2013 %2").arg(kTitle, QFileInfo(loadedPath_).fileName()));
    source_->setText(
        QString("Trace file %1, not the line (Live goes back to it)").arg(loadedPath_));
  }
}

void MonitorWindow::say(const QString& message) {
  status_->setText(message);
}
