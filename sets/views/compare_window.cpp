#include "sets/views/compare_window.h"

#include "sets/views/backup_commands.h"
#include "sets/views/send_verify.h"

#include <QBrush>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "app/sensor_operation.h"
#include "display/controls.h"
#include "fields/micrometres.h"
#include "fields/words.h"
#include "link/port.h"
#include "link/sensor_info.h"
#include "param/parafile.h"
#include "param/transfer.h"
#include "runtime/feature_window.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "sets/parameter_sheet.h"
#include "sets/qt/sheet_files.h"
#include "watch/qt/main_panel.h"

namespace sets {
namespace {

constexpr int kFixedColumns = 3;  // parameter, name, unit
const QColor kDiffers(0xFF, 0xD8, 0xD0);

// The scale factor a set itself calls for: its para15 in evaluation mode 2.
float ScaleOf(const ParameterSet& set) {
  return set[5] == 2 ? static_cast<float>(set[15]) / 1000.0f : 1.0f;
}

// The value with its meaning or its micrometres: "1 (second edge)",
// "512 (3993 µm)".
QString ValueText(int index, const ParameterSet& set) {
  const fields::Word& word = fields::kParameters[index];
  const uint16_t value = set[static_cast<size_t>(index)];
  QString text = QString::fromStdString(fields::ValueWithMeaning(index, value));
  if (word.micrometres != fields::MicrometreRule::kNone) {
    const int64_t um =
        fields::Micrometres(word, value, fields::PixelPitchNm(ccdtype), ScaleOf(set));
    text += QString::fromUtf8(" (%1 \u00b5m)").arg(um);
  }
  return text;
}

}  // namespace

CompareWindow::CompareWindow() {
  setObjectName("CompareWindow");
  setWindowTitle("Compare");
  setAccessibleName("Compare");
  setAttribute(Qt::WA_QuitOnClose, false);
  ram_.title = "Sensor RAM";
  eeprom_.title = "Sensor EEPROM";
  panels_.title = "Panels";
  file_.title = "File";

  table_ = new QTableWidget(this);
  table_->setAccessibleName("Parameter sets");
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  LetTabLeaveTable(table_);
  // Read by its text ("3 parameters differ: ..."), which is what it says.
  summary_ = new QLabel(this);
  summary_->setObjectName("differences");
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  summary_->setFocusPolicy(Qt::StrongFocus);  // a stop of Tab: a screen reader reads it there

  // The commands in the order they stand, left to right; each with a mnemonic.
  auto* refresh = new QPushButton("&Read again", this);
  refresh->setAccessibleName("Read again");
  refresh->setToolTip("Read the sensor's RAM and EEPROM and the panels again");
  auto* file = new QPushButton("&Add file...", this);
  file->setAccessibleName("Add file");
  file->setToolTip("Show a parameter file beside the other sets");
  connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
  connect(file, &QPushButton::clicked, this, [this] { ChooseFile(); });
  auto* verify = new QPushButton("Send and &verify", this);
  verify->setAccessibleName("Send and verify");
  verify->setToolTip(
      "Send the panels' values to the selected store, read it back and say whether the sensor "
      "holds them (Ctrl+Shift+S on the main panel)");
  connect(verify, &QPushButton::clicked, this, [this] {
    SendAndVerify();
    Refresh();
  });

  auto* backup = new QPushButton("&Back up sensor...", this);
  backup->setAccessibleName("Back up sensor");
  backup->setToolTip("Save the sensor's RAM and EEPROM, CCD and firmware to a backup file");
  connect(backup, &QPushButton::clicked, this, [] { TakeBackupAsked(); });
  auto* restore = new QPushButton("Res&tore...", this);
  restore->setAccessibleName("Restore sensor backup");
  restore->setToolTip("Write a backup file's EEPROM and RAM sets to the sensor and verify both");
  connect(restore, &QPushButton::clicked, this, [this] {
    RestoreBackupAsked();
    Refresh();
  });

  sheetOf_ = new QComboBox(this);
  sheetOf_->setAccessibleName("Sheet of");
  sheetOf_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  comment_ = new QLineEdit(this);
  comment_->setAccessibleName("Sheet comment");
  comment_->setPlaceholderText("Comment on the sheet (optional)");
  auto* sheet = new QPushButton("&Parameter sheet...", this);
  sheet->setAccessibleName("Parameter sheet");
  sheet->setToolTip("Save the chosen set as a printable sheet: PDF, or HTML for a .html name");
  connect(sheet, &QPushButton::clicked, this, [this] { SaveSheet(); });
  auto* sheetRow = new QHBoxLayout;
  auto* sheetLabel = new QLabel("&Sheet of", this);
  sheetLabel->setBuddy(sheetOf_);
  sheetRow->addWidget(sheetLabel);
  sheetRow->addWidget(sheetOf_);
  sheetRow->addWidget(comment_, 1);
  sheetRow->addWidget(sheet);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {refresh, file, verify, backup, restore}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  sheet->setAutoDefault(false);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addWidget(summary_);
  layout->addLayout(buttons);
  layout->addLayout(sheetRow);
  PrepareFeatureWindow(this, refresh);
  resize(820, 660);

  sensorCommands_ = {refresh, verify, backup, restore};
  AddSensorOperationListener(&CompareWindow::OperationChanged, this);
  OperationChanged(this, sensorOperation);
}

CompareWindow::~CompareWindow() {
  RemoveSensorOperationListener(&CompareWindow::OperationChanged, this);
}

void CompareWindow::OperationChanged(void* window, int32_t running) {
  auto* self = static_cast<CompareWindow*>(window);
  const bool idle = running == OPERATION_NONE;
  const auto& commands = self->sensorCommands_;
  if (!idle) {
    QWidget* focused = self->focusWidget();
    const bool onCommand = std::find(commands.begin(), commands.end(), focused) != commands.end();
    self->focusBeforeDimming_ = onCommand && focused->isEnabled() ? focused : nullptr;
  }
  for (QPushButton* command : commands) command->setEnabled(idle);
  if (!idle) {
    self->focusAfterDimming_ = self->focusWidget();
    return;
  }
  // A read of the window's own (Read again, the read on opening) must not
  // leave the keyboard on another command than the one it stood on.
  if (self->focusBeforeDimming_ != nullptr && self->focusWidget() == self->focusAfterDimming_)
    self->focusBeforeDimming_->setFocus(Qt::OtherFocusReason);
  self->focusBeforeDimming_ = nullptr;
  self->focusAfterDimming_ = nullptr;
}

void CompareWindow::ReadStore(Column* column, int32_t store, bool held) {
  ParameterSet set{};
  switch (held ? ReadSensorStore(store, &set) : StoreReadResult::kOtherOperation) {
    case StoreReadResult::kRead:
      column->set = set;
      return;
    case StoreReadResult::kNoAnswer:
      column->set.reset();
      column->missing = "no answer";
      return;
    case StoreReadResult::kOtherOperation:
      column->set.reset();
      column->missing = QString("not read: %1").arg(QString::fromStdString(SensorHold::BusyText()));
      return;
  }
}

void CompareWindow::Refresh() {
  {
    // Both stores in one operation; nothing read while another one runs.
    const SensorHold hold;
    ReadStore(&ram_, RAM, hold.held());
    ReadStore(&eeprom_, EEPROM, hold.held());
  }
  panels_.set = PanelParameterSet();
  Show();
}

void CompareWindow::ChooseFile() {
  char path[UI_PATH_MAX] = "";
  if (FileSelectPopup(proj_dir, PARA_FILE_NAME, PARA_FILE_FILTER, PARA_FILE_LOAD_TITLE,
                      UI_FILE_BUTTON_LOAD, 0, 1, 1, 1, path) <= 0)
    return;
  fileChosen_ = true;
  // The name as the column's title, so the values stay in view; the whole
  // path in its tooltip.
  const QString chosen = QDir::toNativeSeparators(QString::fromLocal8Bit(path));
  file_.title = QString("File %1").arg(QFileInfo(chosen).fileName());
  file_.tip = chosen;
  ParameterSet set{};
  std::string reason;
  if (ReadParameterFile(path, &set, &reason)) {
    file_.set = set;
  } else {
    file_.set.reset();
    file_.missing = QString("not read: %1").arg(QString::fromLocal8Bit(reason.c_str()));
  }
  Show();
}

void CompareWindow::SaveSheet() {
  const Column* column = nullptr;
  for (const Column* c : shown_)
    if (c->set && c->title == sheetOf_->currentText()) column = c;
  if (column == nullptr) {
    watch::SayInStatusLine("Parameter sheet: no set to print");
    return;
  }
  char path[UI_PATH_MAX] = "";
  const QByteArray dir = QDir::currentPath().toLocal8Bit();
  if (FileSelectPopup(dir.constData(), "parameter-sheet.pdf", "*.pdf;*.html", "Parameter sheet",
                      UI_FILE_BUTTON_OK, 0, 1, 1, 1, path) <= 0)
    return;
  SheetInfo info;
  info.source = (column->tip.isEmpty() ? column->title : "File " + column->tip).toStdString();
  info.ccd = CcdDescription(ccdtype);
  info.firmware = szVersion;
  info.port = "COM" + std::to_string(com) + " " + ComPortDevice(com);
  info.taken = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm").toStdString();
  info.comment = comment_->text().toStdString();
  info.ccdType = ccdtype;
  info.scale = ScaleOf(*column->set);
  const std::string html = ParameterSheetHtml(*column->set, info);
  const QString file = QString::fromLocal8Bit(path);
  const bool asHtml =
      file.endsWith(".html", Qt::CaseInsensitive) || file.endsWith(".htm", Qt::CaseInsensitive);
  const std::string reason =
      asHtml ? SaveParameterSheetHtml(html, path) : SaveParameterSheetPdf(html, path);
  const QString status =
      reason.empty() ? QString("Parameter sheet of %1 saved to %2").arg(column->title, file)
                     : QString("Parameter sheet not saved: %1").arg(QString::fromStdString(reason));
  watch::SayInStatusLine(status);
}

void CompareWindow::Show() {
  std::vector<const Column*> columns = {&ram_, &eeprom_, &panels_};
  if (fileChosen_) columns.push_back(&file_);
  shown_ = columns;
  const QString chosen = sheetOf_->currentText();
  sheetOf_->clear();
  for (const Column* c : columns)
    if (c->set) sheetOf_->addItem(c->title);
  if (sheetOf_->findText(chosen) >= 0) sheetOf_->setCurrentText(chosen);
  table_->clear();
  table_->setRowCount(fields::kParameterWords);
  table_->setColumnCount(kFixedColumns + static_cast<int>(columns.size()));
  QStringList titles = {"Parameter", "Name", "Unit"};
  for (const Column* c : columns) titles << c->title;
  table_->setHorizontalHeaderLabels(titles);
  for (size_t i = 0; i < columns.size(); ++i)
    table_->horizontalHeaderItem(kFixedColumns + static_cast<int>(i))->setToolTip(columns[i]->tip);

  QStringList differing;
  for (int row = 0; row < fields::kParameterWords; ++row) {
    const fields::Word& word = fields::kParameters[row];
    table_->setItem(row, 0, new QTableWidgetItem(QString::fromUtf8(word.label)));
    table_->setItem(row, 1, new QTableWidgetItem(word.name));
    table_->setItem(row, 2, new QTableWidgetItem(QString::fromUtf8(word.unit)));
    // The first set read is the one the others are held against.
    std::optional<uint16_t> reference;
    bool differs = false;
    for (const Column* c : columns) {
      if (!c->set) continue;
      const uint16_t value = (*c->set)[static_cast<size_t>(row)];
      if (!reference) reference = value;
      differs = differs || value != *reference;
    }
    for (size_t i = 0; i < columns.size(); ++i) {
      const Column* c = columns[i];
      auto* item = new QTableWidgetItem;
      if (!c->set) {
        item->setText(c->missing);
      } else {
        item->setText(ValueText(row, *c->set));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (differs) {
          item->setBackground(QBrush(kDiffers));
          item->setData(Qt::AccessibleTextRole, item->text() + ", differs");
        }
      }
      table_->setItem(row, kFixedColumns + static_cast<int>(i), item);
    }
    if (differs) differing << word.name;
  }
  table_->resizeColumnsToContents();
  summary_->setText(differing.isEmpty() ? QString("The sets agree")
                                        : QString("%1 parameter%2 differ%3: %4")
                                              .arg(differing.size())
                                              .arg(differing.size() == 1 ? "" : "s")
                                              .arg(differing.size() == 1 ? "s" : "")
                                              .arg(differing.join(", ")));
}

}  // namespace sets
