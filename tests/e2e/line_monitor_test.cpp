// The line monitor on the running program: its window's rows, its link light
// as assistive technology reads it, and its trace files saved and loaded
// through the engine's dialog seam.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "monitor/frame_decode.h"
#include "monitor/qt/line_monitor.h"
#include "monitor/qt/link_light.h"
#include "monitor/trace_file.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"

namespace fs = std::filesystem;

namespace {

QWidget* TopLevel(const char* objectName) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == objectName && w->isVisible()) return w;
  return nullptr;
}

template <class T>
T* Named(QWidget* in, const char* accessibleName) {
  for (T* w : in->findChildren<T*>())
    if (w->accessibleName() == accessibleName) return w;
  return nullptr;
}

// Column texts of every row the window shows.
// The cells as shown, or with Qt::UserRole as a whole (a long text is shown
// shortened).
std::vector<std::vector<std::string>> Rows(QWidget* window, int role = Qt::DisplayRole) {
  const QAbstractItemModel* model = window->findChild<QTableView*>()->model();
  std::vector<std::vector<std::string>> rows;
  for (int r = 0; r < model->rowCount(); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < model->columnCount(); ++c)
      row.push_back(model->index(r, c).data(role).toString().toStdString());
    rows.push_back(row);
  }
  return rows;
}

std::string LinkValue() {
  auto* light = Named<QWidget>(TopLevel("MainPanel"), "Link");
  if (light == nullptr) return "";
  return QAccessible::queryAccessibleInterface(light)->text(QAccessible::Value).toStdString();
}

bool Starts(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class LineMonitor : public OperatedProgram {
 protected:
  void SetUp() override { ASSERT_TRUE(InstallLineMonitor(nullptr)); }
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallLineMonitor();
  }
  // Opens the window with the panel's button, as the operator does.
  QWidget* OpenWindow() {
    auto* button = Named<QPushButton>(TopLevel("MainPanel"), "Line monitor");
    EXPECT_NE(button, nullptr);
    if (button == nullptr) return nullptr;
    QTest::mouseClick(button, Qt::LeftButton);
    return TopLevel("LineMonitorWindow");
  }
  static void Click(QWidget* window, const char* command) {
    auto* button = Named<QAbstractButton>(window, command);
    ASSERT_NE(button, nullptr) << command;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  static std::string Message(QWidget* window) {
    return window->findChild<QLabel*>("messages")->text().toStdString();
  }
};

}  // namespace

TEST_F(LineMonitor, ShowsTheTrailingBytesAFlushDiscardsWithTheirHex) {
  Start();
  QWidget* window = OpenWindow();
  ASSERT_NE(window, nullptr);
  sensor_->Update([](sim::Config& c) { c.faults.trailing = 4; });
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  // The next request's flush throws the four bytes away.
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  Click(window, "Raw hex");
  const std::string hex = monitor::HexBytes(std::vector<uint8_t>(4, sim::kTrailingByte), true);
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (const auto& row : Rows(window))
          if (row[1] == "-" && row[2] == "4" && row[5] == hex) return true;
        return false;
      },
      2.0));
}

TEST_F(LineMonitor, LinkLightGoesGreenDuringARunAndRedWhenTheSensorFallsSilent) {
  Start();
  auto* light = Named<QWidget>(TopLevel("MainPanel"), "Link");
  ASSERT_NE(light, nullptr);
  QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(light);
  EXPECT_EQ(spoken->role(), QAccessible::Indicator);
  // A second after the bring-up's last reply the line is idle; the name says so.
  ASSERT_TRUE(WaitUntil([] { return Starts(LinkValue(), "grey"); }, 3.0)) << LinkValue();
  EXPECT_EQ(spoken->text(QAccessible::Name), "Link: grey, idle");
  std::string during;
  WhenReady silence([] { return Starts(LinkValue(), "green"); },
                    [&] {
                      during = LinkValue();
                      Silence();
                    });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);  // ends with the time-out
  EXPECT_TRUE(silence.fired());
  EXPECT_NE(during.find("replies arriving"), std::string::npos) << during;
  EXPECT_TRUE(WaitUntil([] { return Starts(LinkValue(), "red"); }, 2.0)) << LinkValue();
  EXPECT_EQ(spoken->text(QAccessible::Name), "Link: red, time-outs");
  // The figures follow at most twice a second.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return light->accessibleDescription().toStdString().find("1 time-out") != std::string::npos;
      },
      2.0))
      << light->accessibleDescription().toStdString();
}

TEST_F(LineMonitor, SavedTraceLoadsBackAndARefusedFileChangesNothing) {
  Start();
  QWidget* window = OpenWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  const fs::path dir = fs::temp_directory_path() / ("vantrel-monitor-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path saved = dir / "line.trace";

  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, saved.string());
  Click(window, "Save trace...");
  const monitor::TraceReadResult read = monitor::ReadTrace(ReadAll(saved));
  ASSERT_TRUE(read.ok) << read.errorLine << ": " << read.error;
  EXPECT_EQ(read.entries.front().kind, monitor::EntryKind::kOpened);
  EXPECT_TRUE(std::any_of(read.entries.begin(), read.entries.end(), [](const auto& e) {
    return e.kind == monitor::EntryKind::kReply && e.order == 2 && e.responseMs >= 0.0;
  })) << "the Get's reply";
  ASSERT_TRUE(WaitUntil([&] { return Rows(window).size() == read.entries.size(); }, 2.0));
  const auto live = Rows(window);

  const fs::path bad = dir / "bad.trace";
  std::ofstream(bad) << monitor::TraceHeader() << "12.000 > request nothex order=2\n";
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, bad.string());
  Click(window, "Load trace...");
  EXPECT_TRUE(Starts(Message(window), bad.string() + ": line 2: ")) << Message(window);
  EXPECT_EQ(window->windowTitle(), "Line monitor");
  EXPECT_EQ(Rows(window), live);
  // A named pipe is refused before it is opened (opening would wait for a writer).
  const fs::path pipe = dir / "pipe.trace";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, pipe.string());
  Click(window, "Load trace...");
  EXPECT_EQ(Message(window), pipe.string() + ": not a file");
  EXPECT_EQ(Rows(window), live);

  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, saved.string());
  Click(window, "Load trace...");
  EXPECT_NE(window->windowTitle().indexOf("line.trace"), -1);
  EXPECT_TRUE(Named<QPushButton>(window, "Live")->isVisible());
  EXPECT_EQ(Rows(window).size(), read.entries.size());
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  ProcessEventsFor(0.1);
  EXPECT_EQ(Rows(window).size(), read.entries.size()) << "the file stays shown";

  Click(window, "Live");
  EXPECT_EQ(window->windowTitle(), "Line monitor");
  EXPECT_GT(Rows(window).size(), live.size());
  fs::remove_all(dir);
}

TEST_F(LineMonitor, PauseHoldsFilterPicksAnOrderCopyTakesTheSelectionClearEmpties) {
  Start();
  QWidget* panel = TopLevel("MainPanel");
  panel->activateWindow();
  QTest::keyClick(panel, Qt::Key_L, Qt::ControlModifier);  // the window's shortcut
  QWidget* window = TopLevel("LineMonitorWindow");
  ASSERT_NE(window, nullptr);
  auto* table = window->findChild<QTableView*>();
  Click(window, "Pause");
  const size_t held = Rows(window).size();
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  ProcessEventsFor(0.1);
  EXPECT_EQ(Rows(window).size(), held) << "the view holds while paused";
  Click(window, "Pause");
  EXPECT_GT(Rows(window).size(), held) << "released, the newest show at once";

  Named<QComboBox>(window, "Filter")->setCurrentText("Read RAM");
  std::vector<std::string> kept;
  for (const auto& row : Rows(window)) kept.push_back(row[1] + row[3]);
  // The bring-up's Read RAM and the Get's.
  EXPECT_EQ(kept, (std::vector<std::string>{">Read RAM", "<Read RAM", ">Read RAM", "<Read RAM"}));

  table->selectAll();
  QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
  const auto rows = Rows(window, Qt::UserRole);  // a copy takes the whole texts
  std::string copied;
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) copied += (c > 0 ? "\t" : "") + row[c];
    copied += "\n";
  }
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), copied);

  Click(window, "Clear");
  EXPECT_TRUE(Rows(window).empty());
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  EXPECT_TRUE(WaitUntil([&] { return Rows(window).size() == 2; }, 2.0)) << "the next Get's";
}

namespace {

struct Session {
  std::vector<std::string> texts;  // every status text since the panel was loaded
  std::vector<int> readOuts;
  bool operator==(const Session&) const = default;
};

// A Run of `frames` measurements after which the sensor (if it is the
// simulated scene) falls silent, so the loop ends in its time-out: a replayed
// trace ends the same way, where its recorded replies end.
Session RunUntilSilent(sim::SimThread& sensor, size_t frames) {
  WhenReady silence(
      [&] {
        const std::vector<int> orders = sensor.Orders();
        return static_cast<size_t>(std::count(orders.begin(), orders.end(), 8)) >= frames;
      },
      [&] { sensor.Update([](sim::Config& c) { c.faults.silent = true; }); });
  EXPECT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  Session session;
  session.texts = InspectShownTexts(panelHandle, TEXT_Status);
  for (int control :
       {NUM_FirstEdge, NUM_SecondEdge, NUM_MeasuredValue, NUM_TeachValue, NUM_Tolerance})
    session.readOuts.push_back(U16(panelHandle, control));
  return session;
}

}  // namespace

TEST_F(LineMonitor, ARecordedTraceReplayedBySimulatorGivesTheProgramTheSameReplies) {
  UninstallLineMonitor();  // installed again with a trace file
  const fs::path dir = fs::temp_directory_path() / ("vantrel-replay-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path trace = dir / "field.trace";
  ASSERT_TRUE(InstallLineMonitor(trace.c_str()));
  StartSensor();
  StartOn(sensor_->SlavePath());
  const Session recorded = RunUntilSilent(*sensor_, 5);
  ShutDown();
  started_ = false;
  UninstallLineMonitor();
  ASSERT_TRUE(InstallLineMonitor(nullptr));

  sim::Config config = Unpaced();
  std::string error;
  ASSERT_TRUE(sim::LoadReplayScript(trace.string(), &config.replay, &error)) << error;
  StartSensor(config);
  StartOn(sensor_->SlavePath());
  // The replay has its own silence: the request the trace holds no reply for.
  const Session replayed = RunUntilSilent(*sensor_, 1000);
  EXPECT_EQ(replayed.texts, recorded.texts);
  EXPECT_EQ(replayed.readOuts, recorded.readOuts);
  EXPECT_EQ(recorded.texts.back(), "Timeout RS232-Line!");
  EXPECT_NE(recorded.readOuts[0], 0) << "frames were drawn";
  fs::remove_all(dir);
}

TEST(LinkLightAlone, TheNameCarriesTheStateAtOnceTheFiguresComeAtMostTwiceASecond) {
  LinkLight light(nullptr);
  QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(&light);
  monitor::LinkHealthView view;
  view.colour = monitor::LinkColour::kGreen;
  view.state = "replies arriving";
  view.text = "replies arriving, 26.0 replies/s";
  light.Show(view, 1000.0);
  EXPECT_EQ(spoken->text(QAccessible::Name), "Link: green, replies arriving");
  EXPECT_EQ(spoken->text(QAccessible::Description), "green: replies arriving, 26.0 replies/s");
  view.text = "replies arriving, 25.0 replies/s";
  light.Show(view, 1400.0);
  view.colour = monitor::LinkColour::kRed;
  view.state = view.text = "time-outs";
  light.Show(view, 1450.0);
  EXPECT_EQ(spoken->text(QAccessible::Name), "Link: red, time-outs") << "a new state at once";
  EXPECT_EQ(spoken->text(QAccessible::Description), "green: replies arriving, 26.0 replies/s");
  light.Show(view, 1500.0);
  EXPECT_EQ(spoken->text(QAccessible::Description), "red: time-outs");
  EXPECT_EQ(spoken->text(QAccessible::Value), "red: time-outs");
}
