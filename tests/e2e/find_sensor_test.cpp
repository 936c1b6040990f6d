// Find sensor: every port probed at once beside the program, the results as a
// screen reader reads them, a choice handed to the port selector, and the
// program's own port given back when nothing is chosen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QComboBox>
#include <QSerialPort>
#include <QTableWidget>
#include <QTest>

#include <unistd.h>

#include "ports/qt/find_sensor.h"
#include "runtime/rs232.h"
#include "runtime/testing/inspect_widgets.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/ser2net_server.h"

namespace {

using Texts = std::vector<std::string>;
using Row = std::vector<std::string>;

QAbstractButton* Button(const QString& name) {
  for (QWidget* top : QApplication::topLevelWidgets())
    for (QAbstractButton* b : top->findChildren<QAbstractButton*>())
      if (b->accessibleName() == name && b->isVisible()) return b;
  return nullptr;
}

QWidget* Window() {
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "FindSensorWindow" && top->isVisible()) return top;
  return nullptr;
}

class FindSensor : public OperatedProgram {
 protected:
  void SetUp() override {
    sim::Config second = Unpaced(), silent = Unpaced();
    second.firmware = "Q-VOR line 2  FW 1.95";
    silent.faults.silent = true;
    second_ = std::make_unique<sim::SimThread>(second);
    silent_ = std::make_unique<sim::SimThread>(silent);
    std::string error;
    ASSERT_TRUE(second_->Start(&error) && silent_->Start(&error)) << error;
    setenv("VANTREL_COM2", second_->SlavePath().c_str(), 1);
    setenv("VANTREL_COM3", silent_->SlavePath().c_str(), 1);
    InstallFindSensor();
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallFindSensor();
    unsetenv("VANTREL_COM2");
    unsetenv("VANTREL_COM3");
  }

  // Opens the window and waits until every probe has ended.
  QTableWidget* Search() {
    QAbstractButton* find = Button("Find sensor");
    if (find == nullptr) return nullptr;
    find->click();
    // The program's port is let go: nothing else talks to a sensor meanwhile.
    dimmedDuringSearch_ = Dimmed(panelHandle, BTNGet) + Dimmed(panelHandle, BTNRun);
    QWidget* window = Window();
    if (window == nullptr) return nullptr;
    auto* table = window->findChild<QTableWidget*>();
    const auto done = [&] {
      return TextsSinceMark().size() >= 2 && TextsSinceMark().back().rfind("Find sensor: ", 0) == 0;
    };
    EXPECT_TRUE(WaitUntil(done, 5.0));
    return table;
  }
  // The row of `device` as a screen reader reads its cells.
  static Row Spoken(QTableWidget* table, const std::string& device, int* rowOf = nullptr) {
    QAccessibleTableInterface* cells =
        QAccessible::queryAccessibleInterface(table)->tableInterface();
    for (int r = 0; r < table->rowCount(); ++r) {
      if (table->item(r, 1)->text().toStdString() != device) continue;
      Row row;
      for (int c = 0; c < table->columnCount(); ++c)
        row.push_back(cells->cellAt(r, c)->text(QAccessible::Name).toStdString());
      if (rowOf != nullptr) *rowOf = r;
      return row;
    }
    return {};
  }

  std::unique_ptr<sim::SimThread> second_, silent_;
  int dimmedDuringSearch_ = -1;
};

}  // namespace

TEST_F(FindSensor, ProbesEveryPortAtOnceAndTheChoiceBringsThatPortUp) {
  // COM2's sensor is on the network, behind a serial device server.
  Ser2netServer server;
  std::string error;
  ASSERT_TRUE(server.Start(second_->SlavePath(), Ser2netMode::kRfc2217, "19200n81", &error))
      << error;
  const std::string url = server.Url();
  setenv("VANTREL_COM2", url.c_str(), 1);
  Start();
  QTableWidget* table = Search();
  ASSERT_NE(table, nullptr);
  const std::string first = sensor_->SlavePath();
  EXPECT_EQ(Spoken(table, first), (Row{"COM1", first, "no description", "no serial number",
                                       "Sensor answers: " + std::string(sim::kDefaultFirmware)}));
  int secondRow = -1, silentRow = -1;
  EXPECT_EQ(Spoken(table, url, &secondRow),
            (Row{"COM2", url, "network, RFC 2217", "no serial number",
                 "Sensor answers: Q-VOR line 2  FW 1.95"}));
  EXPECT_EQ(Spoken(table, silent_->SlavePath(), &silentRow),
            (Row{"COM3", silent_->SlavePath(), "no description", "no serial number", "No answer"}));
  const Texts said = TextsSinceMark();
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0], "Find sensor: probing the serial ports ...");
  EXPECT_EQ(said[1].rfind("Find sensor: sensors answer on 2 of ", 0), 0u) << said[1];
  EXPECT_EQ(TakeOrders(), (std::vector<int>{5, 7})) << "the program's own port was probed too";
  EXPECT_EQ(dimmedDuringSearch_, 2);
  EXPECT_EQ(Dimmed(panelHandle, BTNGet) + Dimmed(panelHandle, BTNRun), 0) << "back after it";

  QAbstractButton* use = Button("Use this port");
  table->setCurrentCell(silentRow, 0);
  EXPECT_FALSE(use->isEnabled()) << "no sensor answered there";
  table->setCurrentCell(secondRow, 0);
  ASSERT_TRUE(use->isEnabled());
  MarkTexts();
  QTest::keyClick(table, Qt::Key_Return);
  EXPECT_EQ(Window(), nullptr);
  EXPECT_EQ(U16(panelHandle, DropDCom), 2);
  EXPECT_EQ(com, 2);
  // The probe's line check and firmware query, then the selection's one bring-up.
  ASSERT_TRUE(second_->WaitForRequests(6, 2.0));
  EXPECT_EQ(second_->Orders(), (std::vector<int>{5, 7, 5, 2, 7, 10}));
  const Texts chosen = TextsSinceMark();
  ASSERT_GE(chosen.size(), 2u);
  EXPECT_EQ(Texts(chosen.begin(), chosen.begin() + 2),
            (Texts{"Find sensor: COM2 chosen", "Init COM-Port ..."}));
}

TEST_F(FindSensor, NothingChosenGivesTheProgramItsPortBackAndNotWhileALoopRuns) {
  Start();
  // Closed while the silent port still waits: it says so, and how far it came.
  Button("Find sensor")->click();
  QTableWidget* table = Window()->findChild<QTableWidget*>();
  const auto answered = [&](const sim::SimThread& s) {
    return Spoken(table, s.SlavePath()).back().rfind("Sensor answers", 0) == 0;
  };
  ASSERT_TRUE(WaitUntil([&] { return answered(*sensor_) && answered(*second_); }, 5.0));
  QTest::keyClick(table, Qt::Key_Escape);
  EXPECT_EQ(Spoken(table, silent_->SlavePath()).back(), "Interrupted");
  const std::string said = TextsSinceMark().back();
  EXPECT_EQ(said.rfind("Find sensor interrupted after ", 0), 0u) << said;
  EXPECT_TRUE(said.ends_with(" ports: sensors answer on 2")) << said;
  EXPECT_EQ(TakeOrders(), (std::vector<int>{5, 7}));
  EXPECT_EQ(com, 1);
  EXPECT_EQ(second_->Orders(), (std::vector<int>{5, 7})) << "probed, not brought up";
  MarkTexts();
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  EXPECT_EQ(TakeOrders(), std::vector<int>{2});
  EXPECT_EQ(TextsSinceMark().back(), "Parameter-frame received! - Line Ok!");

  // A device another program holds is said to be busy and left alone.
  {
    QSerialPort holder;
    holder.setPortName(QString::fromStdString(second_->SlavePath()));
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    second_->ClearRequests();
    MarkTexts();
    table = Search();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(Spoken(table, second_->SlavePath()).back(), "Busy");
    QTest::keyClick(table, Qt::Key_Escape);
  }
  // ... and so is one a port holds by another name, as another Vantrel would.
  const std::string link = testing::TempDir() + "held-" + std::to_string(getpid());
  ASSERT_EQ(symlink(second_->SlavePath().c_str(), link.c_str()), 0);
  ASSERT_EQ(OpenComConfig(9, link.c_str(), 19200, 0, 8, 1, 4096, 4096), 0);
  MarkTexts();
  table = Search();
  EXPECT_EQ(Spoken(table, second_->SlavePath()).back(), "Busy");
  QTest::keyClick(table, Qt::Key_Escape);
  CloseCom(9);
  unlink(link.c_str());
  EXPECT_EQ(second_->Orders(), std::vector<int>{});

  // Chosen while the silent port still waits: the search ends first, then the
  // choice brings its port up once.
  MarkTexts();
  second_->ClearRequests();
  Button("Find sensor")->click();
  table = Window()->findChild<QTableWidget*>();
  ASSERT_TRUE(WaitUntil([&] { return answered(*second_); }, 5.0));
  int secondRow = -1;
  Spoken(table, second_->SlavePath(), &secondRow);
  table->setCurrentCell(secondRow, 0);
  QTest::keyClick(table, Qt::Key_Return);
  EXPECT_EQ(Window(), nullptr);
  ASSERT_TRUE(second_->WaitForRequests(6, 2.0));
  EXPECT_EQ(second_->Orders(), (std::vector<int>{5, 7, 5, 2, 7, 10}));
  Texts chosen = TextsSinceMark();
  ASSERT_GE(chosen.size(), 4u);
  EXPECT_EQ(chosen[1].rfind("Find sensor interrupted after ", 0), 0u) << chosen[1];
  EXPECT_EQ(Texts(chosen.begin() + 2, chosen.begin() + 4),
            (Texts{"Find sensor: COM2 chosen", "Init COM-Port ..."}));
  EXPECT_EQ(com, 2);
  ASSERT_EQ(SimulateSelectItem(panelHandle, DropDCom, 1), 0);  // COM1 again for the Run below
  ASSERT_EQ(com, 1);

  // During a Run the command is dimmed with the port selector, its shortcut idle.
  bool dimmed = false, opened = true;
  WhenReady during([&] { return sensor_->Orders().size() >= 2; },
                   [&] {
                     dimmed = !Button("Find sensor")->isEnabled();
                     QTest::keyClick(InspectControlWidget(panelHandle, GRAPH_Scope)->window(),
                                     Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
                     opened = Window() != nullptr;
                     PressStop();
                   });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(during.fired());
  EXPECT_TRUE(dimmed);
  EXPECT_FALSE(opened);
  EXPECT_TRUE(Button("Find sensor")->isEnabled()) << "back with the selector";
}

TEST_F(FindSensor, ThePortSelectorSaysWhichDevicesAreAbsentAndFollowsANewMapping) {
  setenv("VANTREL_COM4", "/nonexistent/vantrel-adapter", 1);
  Start();
  unsetenv("VANTREL_COM4");
  auto* selector = qobject_cast<QComboBox*>(InspectControlWidget(panelHandle, DropDCom));
  ASSERT_NE(selector, nullptr);
  EXPECT_EQ(selector->itemText(3).toStdString(), "COM4  /nonexistent/vantrel-adapter  (absent)");
  EXPECT_EQ(selector->itemText(1).toStdString(), "COM2  " + second_->SlavePath());
  // The list is relabelled when it opens: COM4 follows its variable, now gone.
  selector->showPopup();
  selector->hidePopup();
  EXPECT_EQ(selector->itemText(3).toStdString().rfind("COM4  /dev/ttyS3", 0), 0u);
  ASSERT_EQ(SetComPortDevice(4, second_->SlavePath().c_str()), 0);
  EXPECT_EQ(selector->itemText(3).toStdString(), "COM4  " + second_->SlavePath());
  EXPECT_STREQ(ComPortDevice(4), second_->SlavePath().c_str()) << "for the rest of the session";
  SetComPortDevice(4, "");
  EXPECT_EQ(U16(panelHandle, DropDCom), 1) << "the chosen port stays";
  EXPECT_EQ(TextsSinceMark(), Texts{}) << "and the program hears nothing";
  EXPECT_EQ(TakeOrders(), std::vector<int>{});
}
