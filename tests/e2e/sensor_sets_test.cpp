// Reading the sensor's stores and the panels beside the program: what the
// sensor received, and that the program's variables, package and panels keep
// what they held.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "param/transfer.h"
#include "runtime/testing/inspect.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/utility.h"
#include "sets/backup_file.h"
#include "sets/sensor/sensor_sets.h"
#include "sets/views/backup_commands.h"
#include "sets/views/compare.h"
#include "sets/views/compare_window.h"
#include "sets/views/send_verify.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"

namespace {

class SensorSets : public OperatedProgram {
 protected:
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallCompare();
  }
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

ParamWords Changed(ParamWords words, int index, uint16_t value) {
  words[static_cast<size_t>(index)] = value;
  return words;
}

}  // namespace

TEST_F(SensorSets, ReadsRamAndEepromLeavingTheProgramsSetAsItWas) {
  const ParamWords ram = Changed(kTestParams, 0, 480);
  const ParamWords eeprom = Changed(Changed(kTestParams, 0, 500), 8, 300);
  Start(Unpaced(), ram);
  sensor_->SetEeprom(eeprom);
  // The panels hold an edit the program has not taken yet.
  ASSERT_EQ(SetCtrlVal(panelHandle, NUM_Power, 650), 0);
  const ParamWords variables = Variables(), package = Package();
  const sets::ParameterSet panels = sets::PanelParameterSet();
  EXPECT_EQ(panels[0], 650);
  EXPECT_EQ(Variables(), variables) << "reading the panels takes nothing over";
  MarkTexts();

  sets::ParameterSet fromRam{}, fromEeprom{};
  EXPECT_EQ(sets::ReadSensorStore(RAM, &fromRam), sets::StoreReadResult::kRead);
  EXPECT_EQ(sets::ReadSensorStore(EEPROM, &fromEeprom), sets::StoreReadResult::kRead);
  EXPECT_EQ(fromRam, ram);
  EXPECT_EQ(fromEeprom, eeprom);
  EXPECT_EQ(TakeOrders(), (std::vector<int>{2, 4}));
  EXPECT_EQ(Variables(), variables);
  EXPECT_EQ(Package(), package);
  EXPECT_EQ(sets::PanelParameterSet(), panels);
  EXPECT_EQ(TextsSinceMark(), std::vector<std::string>{});

  // A silent sensor: no answer, and still nothing taken over.
  Silence();
  EXPECT_EQ(sets::ReadSensorStore(RAM, &fromRam), sets::StoreReadResult::kNoAnswer);
  EXPECT_EQ(fromRam, ram) << "left as it was";
  EXPECT_EQ(Package(), package);
  EXPECT_EQ(Variables(), variables);
}

TEST_F(SensorSets, SendsNothingWhileAnotherOperationHoldsTheSensor) {
  InstallCompare();
  Start();
  QAbstractButton* compare = nullptr;
  for (QAbstractButton* b : InspectPanelWindow(panelHandle)->findChildren<QAbstractButton*>())
    if (b->accessibleName() == "Compare") compare = b;
  sets::ParameterSet set{};
  sets::StoreReadResult during = sets::StoreReadResult::kRead;
  bool offered = true;
  WhenReady stop([&] { return sensor_->Orders().size() >= 3; },
                 [&] {
                   sensor_->ClearRequests();
                   during = sets::ReadSensorStore(EEPROM, &set);
                   offered = compare->isEnabled();
                   PressStop();
                 });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(stop.fired());
  EXPECT_EQ(during, sets::StoreReadResult::kOtherOperation);
  EXPECT_FALSE(offered) << "Compare reads the sensor: dimmed while the Run holds it";
  EXPECT_TRUE(compare->isEnabled());
  for (int order : TakeOrders()) EXPECT_EQ(order, 8) << "only the loop's own requests";
}

TEST_F(SensorSets, CompareShowsEachSetByNameAndMarksEveryDifference) {
  InstallCompare();
  Start(Unpaced(), Changed(kTestParams, 0, 480));
  sensor_->SetEeprom(Changed(Changed(kTestParams, 0, 500), 8, 300));
  ASSERT_EQ(SetCtrlVal(panelHandle, NUM_Power, 480), 0);
  const ParamWords variables = Variables(), package = Package();
  QAbstractButton* compare = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    for (QAbstractButton* b : top->findChildren<QAbstractButton*>())
      if (b->accessibleName() == "Compare") compare = b;
  ASSERT_NE(compare, nullptr);
  QTest::mouseClick(compare, Qt::LeftButton);
  QWidget* window = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "CompareWindow" && top->isVisible()) window = top;
  ASSERT_NE(window, nullptr);
  auto* table = window->findChild<QTableWidget*>();
  const auto row = [&](int r) {
    std::vector<std::string> cells;
    for (int c = 0; c < table->columnCount(); ++c)
      cells.push_back(table->item(r, c)->data(Qt::AccessibleTextRole).isValid()
                          ? table->item(r, c)->data(Qt::AccessibleTextRole).toString().toStdString()
                          : table->item(r, c)->text().toStdString());
    return cells;
  };
  EXPECT_EQ(row(0), (std::vector<std::string>{"Power", "power", "", "480, differs", "500, differs",
                                              "480, differs"}));
  EXPECT_EQ(row(8)[1], "tVal");
  EXPECT_EQ(row(8)[4], "300 (2340 µm), differs");
  EXPECT_EQ(row(2)[3], "512") << "an agreeing row is not marked";
  EXPECT_EQ(row(5)[3], "1 (second edge)");
  EXPECT_EQ(row(15)[4], "1000 (1.000)");
  EXPECT_EQ(window->findChild<QLabel*>()->text().toStdString(), "2 parameters differ: power, tVal");
  EXPECT_EQ(TakeOrders(), (std::vector<int>{2, 4}));
  EXPECT_EQ(Variables(), variables);
  EXPECT_EQ(Package(), package);

  // A parameter file beside them, read as Get reads it.
  const std::string file = testing::TempDir() + "compare.dat";
  {
    std::ofstream out(file);
    for (int i = 0; i < 16; ++i)
      out << (i == 0 ? 470 : kTestParams[static_cast<size_t>(i)]) << "\n";
  }
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, file);
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (b->accessibleName() == "Add file") b->click();
  EXPECT_EQ(table->horizontalHeaderItem(6)->text().toStdString(), "File compare.dat");
  EXPECT_EQ(table->horizontalHeaderItem(6)->toolTip().toStdString(), file);
  EXPECT_EQ(row(0)[6], "470, differs");
  EXPECT_EQ(row(2)[6], "512");
  std::remove(file.c_str());

  // The EEPROM's set as a sheet, HTML by its name, with the comment.
  const std::string sheet = testing::TempDir() + "sheet.html";
  window->findChild<QComboBox*>()->setCurrentText("Sensor EEPROM");
  window->findChild<QLineEdit*>()->setText("Line 3 <after cleaning>");
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, sheet);
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (b->accessibleName() == "Parameter sheet") b->click();
  const std::string html = ReadAll(sheet);
  EXPECT_NE(html.find("Sensor EEPROM"), std::string::npos);
  EXPECT_NE(html.find("Line 3 &lt;after cleaning&gt;"), std::string::npos);
  EXPECT_NE(html.find(">300<"), std::string::npos) << "the EEPROM's teach value";
  EXPECT_EQ(TextsSinceMark().back(), "Parameter sheet of Sensor EEPROM saved to " + sheet);
  std::remove(sheet.c_str());

  // A silent sensor: both stores say so, the panels and the file still show.
  Silence();
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (b->accessibleName() == "Read again") b->click();
  EXPECT_EQ(row(0), (std::vector<std::string>{"Power", "power", "", "no answer", "no answer",
                                              "480, differs", "470, differs"}));
}

TEST_F(SensorSets, SendAndVerifyReadsTheStoreBackAndSaysWhatItHolds) {
  Start();
  ASSERT_EQ(SetCtrlVal(panelHandle, NUM_Power, 620), 0);
  EXPECT_TRUE(sets::SendAndVerify());
  EXPECT_EQ(TakeOrders(), (std::vector<int>{1, 2}));
  EXPECT_EQ(sensor_->Ram()[0], 620);
  EXPECT_EQ(TextsSinceMark().back(), "RAM holds the 16 parameters sent");

  // A sensor that keeps the tolerance one higher than it was given.
  sensor_->Update([](sim::Config& c) { c.faults.store_changed_word = 9; });
  SelectStore(EEPROM);
  const uint16_t tolerance = Variables()[9];
  QueueConfirmAnswer(1);  // the EEPROM is written once the operator says yes
  EXPECT_FALSE(sets::SendAndVerify());
  EXPECT_EQ(TakeOrders(), (std::vector<int>{4, 3, 4}));
  EXPECT_EQ(TextsSinceMark().back(), "EEPROM holds Tolerance " + std::to_string(tolerance + 1) +
                                         ", sent " + std::to_string(tolerance));
  SelectStore(DATFILE);
  EXPECT_FALSE(sets::SendAndVerify());
  EXPECT_EQ(TakeOrders(), std::vector<int>{}) << "nothing sent for the file store";
}

TEST_F(SensorSets, ABackupRestoredOntoOtherStoresLeavesThemEqualToIt) {
  const std::string path = testing::TempDir() + "sensor.backup";
  const ParamWords ram = Changed(kTestParams, 0, 480), eeprom = Changed(kTestParams, 8, 300);
  Start(Unpaced(), ram);
  sensor_->SetEeprom(eeprom);
  ASSERT_TRUE(sets::TakeBackup(path));
  sets::Backup taken;
  std::string error;
  ASSERT_TRUE(sets::ParseBackup(ReadAll(path), &taken, &error)) << error;
  EXPECT_EQ(taken.ram, ram);
  EXPECT_EQ(taken.eeprom, eeprom);
  EXPECT_EQ(taken.port, "COM1");

  // Another sensor's stores; the program's own set stays as it is.
  sensor_->SetRam(kTestParams);
  sensor_->SetEeprom(Changed(kTestParams, 0, 999));
  const ParamWords variables = Variables(), package = Package();
  TakeOrders();
  // The EEPROM's present set is read to show what the restore changes there.
  EXPECT_FALSE(sets::RestoreBackup(path)) << "not confirmed";
  EXPECT_EQ(TakeOrders(), (std::vector<int>{4}));
  EXPECT_NE(ConfirmQuestions().back().find(":\n\nPower: 999 -> 500\nTeach value: 512 -> 300\n\n"),
            std::string::npos);
  QueueConfirmAnswer(1);
  EXPECT_TRUE(sets::RestoreBackup(path));
  EXPECT_EQ(TakeOrders(), (std::vector<int>{4, 3, 4, 1, 2}));
  EXPECT_EQ(sensor_->Ram(), ram);
  EXPECT_EQ(sensor_->Eeprom(), eeprom);
  EXPECT_EQ(Variables(), variables);
  EXPECT_EQ(Package(), package);
  EXPECT_EQ(TextsSinceMark().back(), "Restored " + path + ": EEPROM and RAM hold the backup");

  // Another CCD type: refused unless confirmed.
  taken.ccdType = static_cast<uint16_t>(ccdtype + 1);
  { std::ofstream(path) << sets::BackupText(taken); }
  const size_t asked = ConfirmQuestions().size();
  QueueConfirmAnswer(0);
  EXPECT_FALSE(sets::RestoreBackup(path));
  EXPECT_EQ(ConfirmQuestions().size(), asked + 1);
  EXPECT_EQ(TakeOrders(), std::vector<int>{});
  QueueConfirmAnswer(1);
  QueueConfirmAnswer(1);
  EXPECT_TRUE(sets::RestoreBackup(path));
  EXPECT_EQ(TakeOrders(), (std::vector<int>{4, 3, 4, 1, 2}));

  // Words the sensor does not accept: named, and nothing sent to either store.
  taken.ccdType = ccdtype;
  taken.eeprom[5] = 9;
  taken.ram[14] = 7;
  { std::ofstream(path) << sets::BackupText(taken); }
  EXPECT_FALSE(sets::RestoreBackup(path));
  EXPECT_EQ(TakeOrders(), std::vector<int>{});
  EXPECT_EQ(TextsSinceMark().back(), "Restore refused: " + path +
                                         ": EEPROM Evaluation mode 9 (0..3); RAM Background mode "
                                         "7 (0..2)");
  EXPECT_EQ(sensor_->Eeprom(), eeprom);

  // Malformed: the line at fault, nothing sent.
  { std::ofstream(path) << "vantrel-backup 1\nram.power: 70000\n"; }
  EXPECT_FALSE(sets::RestoreBackup(path));
  EXPECT_EQ(TakeOrders(), std::vector<int>{});
  EXPECT_EQ(TextsSinceMark().back(),
            "Restore refused: " + path + ": line 2: " + "ram.power: '70000' out of range 0..65535");
  std::remove(path.c_str());
}
