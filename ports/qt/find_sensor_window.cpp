#include "ports/qt/find_sensor_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "runtime/feature_window.h"
#include "runtime/rs232.h"

namespace ports {

namespace {
enum Column { kPort, kDevice, kDescription, kSerial, kResult, kColumns };

QTableWidgetItem* Cell(const std::string& text, const char* spokenWhenEmpty) {
  auto* item = new QTableWidgetItem(QString::fromStdString(text));
  // An empty cell would be read as nothing at all.
  if (text.empty()) item->setData(Qt::AccessibleTextRole, QString(spokenWhenEmpty));
  return item;
}
}  // namespace

FindSensorWindow::FindSensorWindow() {
  setObjectName("FindSensorWindow");
  setWindowTitle("Find sensor");
  setAccessibleName("Find sensor");
  setModal(true);
  setAttribute(Qt::WA_QuitOnClose, false);

  progress_ = new QLabel(this);
  progress_->setAccessibleName("Progress");
  table_ = new QTableWidget(0, kColumns, this);
  table_->setAccessibleName("Serial ports");
  table_->setHorizontalHeaderLabels({"Port", "Device", "Description", "Serial number", "Result"});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  LetTabLeaveTable(table_);
  table_->verticalHeader()->hide();
  table_->setWordWrap(false);
  for (int c = kPort; c < kResult; ++c)
    table_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(kResult, QHeaderView::Stretch);

  useButton_ = new QPushButton("&Use this port", this);
  useButton_->setAccessibleName("Use this port");
  useButton_->setToolTip("Select this port in the port selector; the program brings the link up");
  useButton_->setDefault(true);
  close_ = new QPushButton("&Close", this);
  QPushButton* close = close_;
  close->setAccessibleName("Close");
  close->setAutoDefault(false);
  connect(close, &QPushButton::clicked, this, [this] { reject(); });
  connect(useButton_, &QPushButton::clicked, this, [this] {
    const int row = table_->currentRow();
    if (!isVisible() || row < 0 || row >= static_cast<int>(results_.size()) ||
        results_[static_cast<size_t>(row)].outcome != Outcome::kSensor)
      return;
    const ComDevice device = devices_[static_cast<size_t>(row)];
    // Chosen while other ports are still probed: the search ends first, so
    // that the program has its port and the sensor back before the choice's
    // bring-up.
    InterruptSearch();
    hide();
    if (use_) use_(device);
  });
  connect(table_, &QTableWidget::currentCellChanged, this, [this] { UpdateUseButton(); });
  // Enter reaches the default button; a double-click on a row does the same.
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { useButton_->click(); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(useButton_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(progress_);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  resize(820, 300);
  // Tab leaves the list for the buttons (the list first, where it stands).
  setTabOrder(table_, useButton_);
  setTabOrder(useButton_, close);
  PrepareFeatureWindow(this, useButton_);
}

FindSensorWindow::~FindSensorWindow() = default;

void FindSensorWindow::Search(const std::vector<ComDevice>& devices,
                              const std::array<uint16_t, 16>& words,
                              std::function<void(const std::vector<PortResult>&)> done) {
  devices_ = devices;
  done_ = std::move(done);
  probes_.clear();
  results_.assign(devices.size(), PortResult{});
  searching_ = true;
  table_->setRowCount(static_cast<int>(devices.size()));
  for (size_t i = 0; i < devices.size(); ++i) {
    // A device this user may not open is left alone.
    if (devices[i].permissionDenied) results_[i].outcome = Outcome::kNoPermission;
    ShowRow(static_cast<int>(i));
  }
  if (!devices.empty()) table_->setCurrentCell(0, 0);
  int spare = 0;  // each probe has a spare port of its own
  for (size_t i = 0; i < devices.size(); ++i) {
    if (results_[i].outcome == Outcome::kProbing && spare == COM_SPARE_COUNT) {
      results_[i].outcome = Outcome::kCannotOpen;
      results_[i].reason = "more serial devices than can be probed at once";
      ShowRow(static_cast<int>(i));
    }
    if (results_[i].outcome != Outcome::kProbing) {
      probes_.push_back(nullptr);
      continue;
    }
    auto probe = std::make_unique<PortProbe>(COM_SPARE_FIRST + spare++, devices[i].device, words);
    connect(probe.get(), &PortProbe::finished, this, [this] { ProbeFinished(); });
    probes_.push_back(std::move(probe));
  }
  // A probe that cannot open its device ends inside Start; the results are
  // looked at once all have started.
  starting_ = true;
  for (size_t i = 0; i < probes_.size(); ++i)
    if (probes_[i]) probes_[i]->Start();
  starting_ = false;
  ProbeFinished();
}

void FindSensorWindow::ShowRow(int row) {
  const ComDevice& d = devices_[static_cast<size_t>(row)];
  table_->setItem(row, kPort, Cell(d.port > 0 ? "COM" + std::to_string(d.port) : "", "no number"));
  table_->setItem(row, kDevice, Cell(d.device, ""));
  table_->setItem(row, kDescription, Cell(d.description, "no description"));
  table_->setItem(row, kSerial, Cell(d.serialNumber, "no serial number"));
  table_->setItem(row, kResult, Cell(ResultText(results_[static_cast<size_t>(row)]), ""));
}

void FindSensorWindow::ProbeFinished() {
  if (!searching_ || starting_) return;
  size_t finished = 0;
  for (size_t i = 0; i < results_.size(); ++i) {
    if (probes_[i] && probes_[i]->Done() && results_[i].outcome == Outcome::kProbing) {
      results_[i] = probes_[i]->Result();
      ShowRow(static_cast<int>(i));
    }
    finished += results_[i].outcome != Outcome::kProbing ? 1 : 0;
  }
  UpdateUseButton();
  if (finished < results_.size()) {
    progress_->setText(
        QString("Probing %1 serial ports: %2 done ...").arg(results_.size()).arg(finished));
    return;
  }
  progress_->setText(QString::fromStdString(SearchSummary(results_)));
  // The first port where a sensor answered is ready for "Use this port", and
  // the keyboard with it; while the probes ran, the focus was on Close.
  const int current = table_->currentRow();
  if (current < 0 || results_[static_cast<size_t>(current)].outcome != Outcome::kSensor) {
    for (size_t i = 0; i < results_.size(); ++i) {
      if (results_[i].outcome != Outcome::kSensor) continue;
      table_->setCurrentCell(static_cast<int>(i), 0);
      break;
    }
  }
  if (useButton_->isEnabled() && (focusWidget() == nullptr || focusWidget() == close_))
    useButton_->setFocus(Qt::OtherFocusReason);
  EndSearch();
}

void FindSensorWindow::EndSearch() {
  searching_ = false;
  // Deleted later: this may run inside a probe's own signal.
  for (auto& probe : probes_) {
    if (!probe) continue;
    probe->Stop();  // the device is free again before `done` runs
    probe.release()->deleteLater();
  }
  probes_.clear();
  if (done_) {
    auto done = std::move(done_);
    done_ = nullptr;
    done(results_);
  }
}

void FindSensorWindow::UpdateUseButton() {
  const int row = table_->currentRow();
  useButton_->setEnabled(row >= 0 && row < static_cast<int>(results_.size()) &&
                         results_[static_cast<size_t>(row)].outcome == Outcome::kSensor);
}

void FindSensorWindow::InterruptSearch() {
  if (!searching_) return;
  // The probes still running end here and their ports close.
  for (size_t i = 0; i < results_.size(); ++i)
    if (results_[i].outcome == Outcome::kProbing) {
      results_[i].outcome = Outcome::kInterrupted;
      ShowRow(static_cast<int>(i));
    }
  EndSearch();
}

void FindSensorWindow::reject() {
  InterruptSearch();
  QDialog::reject();
}

}  // namespace ports
