// The windows beside the panels by keyboard and screen reader, on the running
// program with every feature installed: each opens on its first command,
// beside the main panel, is read as a window by its title and closes with
// Escape; Tab reaches every Compare command and leaves its table; every
// button carries a mnemonic; the main panel's Tab cycle follows its layout.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTableView>
#include <QTest>

#include "monitor/qt/line_monitor.h"
#include "ports/qt/find_sensor.h"
#include "runtime/testing/inspect_widgets.h"
#include "sets/views/compare.h"
#include "tests/e2e/operated_program.h"
#include "watch/qt/watch_tools.h"

namespace {

QWidget* TopLevel(const char* objectName) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == objectName && w->isVisible()) return w;
  return nullptr;
}

// As a screen reader names it: by the label it is labelled by, else its own name.
std::string Name(QWidget* w) {
  if (w == nullptr) return "(none)";
  QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(w);
  const auto labels = spoken->relations(QAccessible::Label);
  if (!labels.isEmpty()) spoken = labels.first().first;
  return spoken->text(QAccessible::Name).toStdString();
}

// The names of the Tab cycle from the focused widget round to it again.
std::string TabCycle() {
  std::string names;
  QWidget* first = QApplication::focusWidget();
  for (int n = 0; QApplication::focusWidget() != nullptr && n < 60; ++n) {
    names += (n == 0 ? "" : " | ") + Name(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == first) break;
  }
  return names;
}

class FeatureWindows : public OperatedProgram {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InstallLineMonitor(nullptr));
    InstallWatchTools();
    InstallCompare();
    InstallFindSensor();
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallFindSensor();
    UninstallCompare();
    UninstallWatchTools();
    UninstallLineMonitor();
  }
  QWidget* ActiveMainPanel() {
    QWidget* main = InspectPanelWindow(panelHandle);
    main->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(main));
    return main;
  }
};

}  // namespace

TEST_F(FeatureWindows, EachOpensOnItsFirstCommandBesideTheMainPanelAndEscapeClosesIt) {
  Start();
  QWidget* main = ActiveMainPanel();
  main->setGeometry(0, 0, 160, 500);  // room beside it on the test screen
  const QRect screen = main->screen()->availableGeometry();
  const struct {
    Qt::KeyboardModifiers modifiers;
    Qt::Key key;
    const char *window, *title, *first;
    QAccessible::Role role;
    bool beside;  // else too wide for the room: over the main panel's left part
  } rows[] = {
      {Qt::ControlModifier, Qt::Key_L, "LineMonitorWindow", "Line monitor", "Pause",
       QAccessible::Window, false},
      {Qt::ControlModifier, Qt::Key_T, "TrendWindow", "Trend", "Freeze", QAccessible::Window, true},
      {Qt::ControlModifier, Qt::Key_D, "CompareWindow", "Compare", "Read again",
       QAccessible::Window, true},
      // Its first command waits for a sensor that answered: Close while it probes.
      {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F, "FindSensorWindow", "Find sensor",
       "Close", QAccessible::Dialog, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.window);
    QTest::keyClick(main->windowHandle(), row.key, row.modifiers);
    QWidget* window = TopLevel(row.window);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window)->role(), row.role);
    EXPECT_EQ(Name(window), row.title);
    EXPECT_EQ(Name(QApplication::focusWidget()), row.first);
    EXPECT_EQ(window->frameGeometry().left(),
              row.beside ? main->frameGeometry().right() + 9 : std::max(main->x(), screen.left()));
    EXPECT_TRUE(screen.contains(window->frameGeometry()));
    // Every button (not a table's corner) with a mnemonic of its own.
    QSet<QKeySequence> mnemonics;
    int buttons = 0;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
      if (!b->text().isEmpty() && ++buttons > 0) mnemonics.insert(b->shortcut());
    EXPECT_FALSE(mnemonics.contains(QKeySequence()));
    EXPECT_EQ(mnemonics.size(), buttons);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    ActiveMainPanel();
  }
}

TEST_F(FeatureWindows, TabReachesEveryCompareCommandLeavesTheTableAndCtrlTabMovesInIt) {
  Start();
  QTest::keyClick(ActiveMainPanel()->windowHandle(), Qt::Key_D, Qt::ControlModifier);
  QWidget* window = TopLevel("CompareWindow");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  EXPECT_EQ(TabCycle(),
            "Read again | Add file | Send and verify | Back up sensor | Restore sensor backup | "
            "Sheet of | Sheet comment | Parameter sheet | Parameter sets | The sets agree");
  auto* table = window->findChild<QTableView*>();
  table->setFocus();
  table->setCurrentIndex(table->model()->index(0, 5));
  QTest::keyClick(table, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(table->currentIndex(), table->model()->index(1, 0)) << "to the next row's first cell";
  QTest::keyClick(table, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(table->currentIndex(), table->model()->index(0, 5));
  // A mnemonic works from anywhere in the window: Alt+R reads the stores again.
  QTest::keyClick(table, Qt::Key_Tab);
  sensor_->ClearRequests();
  QTest::keyClick(window->windowHandle(), Qt::Key_R, Qt::AltModifier);
  // The button is pressed and released as if clicked, a moment later.
  EXPECT_TRUE(WaitUntil([&] { return sensor_->Orders().size() == 2; }, 2.0));
  EXPECT_EQ(TakeOrders(), (std::vector<int>{2, 4}));
}

TEST_F(FeatureWindows, TheMainPanelsTabCycleFollowsItsLayoutAndTheExportMenuIsReadWhileOpen) {
  Start();
  ActiveMainPanel();
  InspectControlWidget(panelHandle, BTNRun)->setFocus();
  // Column by column, each from the top: the commands under the graphs, the
  // parameters (Compare above the store), the top row, the graphs.
  EXPECT_EQ(TabCycle(),
            "Run | Stop | Video data | Teach set-point | Record | Export | Unit | Power | Power "
            "mode | Video threshold | Polarity | Evaluation mode | Evaluation from pixel | "
            "Evaluation to pixel | Compare | RAM | Get parameters | Send parameters | Line monitor "
            "| Serial port | Find sensor | Sensor settings... | Trend | Freeze | Scope: edges, "
            "measured value, tolerance band | Video line and threshold");

  // The Export menu, while open, is the button's child in the accessible tree.
  QWidget* exportButton = nullptr;
  for (QPushButton* b : InspectPanelWindow(panelHandle)->findChildren<QPushButton*>())
    if (b->accessibleName() == "Export") exportButton = b;
  ASSERT_NE(exportButton, nullptr);
  QAccessibleInterface* button = QAccessible::queryAccessibleInterface(exportButton);
  EXPECT_EQ(button->childCount(), 0);
  exportButton->setFocus();
  QTest::keyClick(exportButton, Qt::Key_Space);
  ASSERT_EQ(button->childCount(), 1);
  QAccessibleInterface* menu = button->child(0);
  EXPECT_EQ(menu->role(), QAccessible::PopupMenu);
  std::vector<std::string> items;
  for (int i = 0; i < menu->childCount(); ++i)
    items.push_back(menu->child(i)->text(QAccessible::Name).toStdString());
  EXPECT_EQ(items, (std::vector<std::string>{"Video line as CSV...", "Scope as PNG...",
                                             "Data graph as PNG..."}));
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  EXPECT_EQ(button->childCount(), 0);
}
