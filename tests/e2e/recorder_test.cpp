// The Record command on the running program, against a sensor whose every
// frame the test knows; files chosen through the engine's dialog seam.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "monitor/qt/line_monitor.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/line_script.h"
#include "tests/e2e/operated_program.h"
#include "watch/qt/recorder.h"
#include "watch/qt/run_feed.h"
#include "watch/recording_csv.h"

namespace fs = std::filesystem;

namespace {
using Words = LineScript::Words;

// Frame k: the value 400 + 5k leaves the band 420 +- 20 after k = 8.
Words Frame(int k) {
  const auto n = static_cast<uint16_t>(k);
  return {uint16_t(100 + n), uint16_t(300 + n), uint16_t(400 + 5 * n), 420, 20, 0, 2,
          uint16_t(700 + n), uint16_t(800 + n)};
}
// Frame k's record after its time, at 50 nm per pixel.
std::string Expected(int k) {
  std::string text;
  for (int i = 0; i < 9; ++i) text += "," + std::to_string(Frame(k)[i]);
  return text + "," + std::to_string(50 * Frame(k)[2]) + (k <= 8 ? ",1" : ",0");
}
// The sensor gives the first `frames` frames, then no answer.
LineScript::MeasureReply Frames(int frames) {
  return [frames](int k, const Words&) {
    return k < frames ? LineScript::Measurement(Frame(k)) : std::vector<uint8_t>{};
  };
}
std::string ReadAll(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}
// The frame records (after the column header).
std::vector<std::string> Rows(const std::string& text) {
  std::vector<std::string> rows;
  size_t at = text.find("\r\n", text.find("time_ms,")) + 2;
  for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    rows.push_back(text.substr(at, end - at));
  return rows;
}

class Recorder : public OperatedProgram {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InstallLineMonitor(nullptr));
    InstallRecorder();
    fs::create_directories(dir_);
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallRecorder();
    UninstallLineMonitor();
    fs::remove_all(dir_);
  }
  // The program on `line`'s sensor as on a 25 um line, measuring widths with
  // the scale factor 2: 50 nm per pixel.
  void StartOn(const LineScript& line) {
    OperatedProgram::StartOn(line.sensor().slavePath());
    ccdtype = 2;
    eMode = 2;
    scaleF = 2.0f;
    MarkTexts();
  }
  static QPushButton* Button(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
      for (auto* b : w->findChildren<QPushButton*>())
        if (w->objectName() == "MainPanel" && b->accessibleName() == name) return b;
    return nullptr;
  }
  std::vector<std::string> RecordingTexts() const {
    std::vector<std::string> texts = TextsSinceMark();
    std::erase_if(texts, [](const std::string& t) { return t.rfind("Record", 0) != 0; });
    return texts;
  }
  const fs::path dir_ = fs::temp_directory_path() / ("vantrel-record-" + std::to_string(getpid()));
};
}  // namespace

TEST_F(Recorder, CancelSaysNothingAndARunIsRecordedFrameByFrameWithWhereItCameFrom) {
  LineScript line(Frames(12));
  StartOn(line);
  QPushButton* record = Button("Record");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(Button("Teach set-point")->nextInFocusChain(), record);
  QueueFileSelectAnswer(UI_FILE_CANCELLED, "");
  record->click();
  EXPECT_FALSE(record->isChecked());
  const std::string file = (dir_ / "run.csv").string();
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, file);
  record->window()->activateWindow();
  QTest::keyClick(record->window(), Qt::Key_R, Qt::ControlModifier);
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(record)->state().checked);
  EXPECT_EQ(FileSelectRequests().back().directory + "/" + FileSelectRequests().back().fileName,
            QDir::currentPath().toStdString() + "/recording.csv");
  const ParamWords variables = Variables();

  WhenReady stop([&] { return line.Count(8) > 12; }, [] { PressStop(); });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(WaitUntil([&] { return !record->isChecked(); }, 2.0));
  EXPECT_EQ(RecordingTexts(),
            (std::vector<std::string>{"Recording to " + file + ": waiting for a Run",
                                      "Recording to " + file, "Recorded 12 frames to " + file}));
  const std::string text = ReadAll(file);
  std::smatch started;
  ASSERT_TRUE(std::regex_search(
      text, started, std::regex("started,(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)\r")));
  const std::string header =
      watch::RecordingHeader({started[1].str(), "COM1", line.sensor().slavePath(),
                              "line script firmware", CcdDescription(2), 25000, variables});
  EXPECT_EQ(text.substr(0, header.size()), header);
  const std::vector<std::string> rows = Rows(text);
  ASSERT_EQ(rows.size(), 12u);
  for (int k = 0; k < 12; ++k) {
    EXPECT_EQ(rows[k].substr(rows[k].find(',')), Expected(k));
    EXPECT_GE(std::stoll(rows[k]), k == 0 ? 0 : std::stoll(rows[k - 1])) << k;
  }
}

TEST_F(Recorder, AFileThatCannotBeMadeIsRefusedAtOnceAndOneBegunDuringARunCountsFromTheRunsStart) {
  LineScript line(Frames(1000000));
  StartOn(line);
  QPushButton* record = Button("Record");
  ASSERT_NE(record, nullptr);
  const std::string bad = (dir_ / "missing" / "run.csv").string();
  const std::string file = (dir_ / "part.csv").string();
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, bad);
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, file);
  record->click();  // refused at once: no Run needed to find that out
  EXPECT_FALSE(record->isChecked());
  QElapsedTimer run;
  int from = 0, to = 0;
  size_t before = 0;  // rows on disk just before the uncheck
  // The second file 300 ms into the Run: its frames count their time from then.
  WhenReady begin([&] { return run.elapsed() >= 300; },
                  [&] {
                    from = line.Count(8);
                    record->click();
                  });
  WhenReady end([&] { return begin.fired() && line.Count(8) >= from + 10; },
                [&] {
                  before = Rows(ReadAll(file)).size();
                  record->click();
                  to = line.Count(8);
                });
  WhenReady stop([&] { return end.fired() && line.Count(8) >= to + 5; }, [] { PressStop(); });
  run.start();
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(WaitUntil([] { return !watch::RunInProgress(); }, 2.0));

  EXPECT_FALSE(record->isChecked());
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  const std::string text = ReadAll(file);
  EXPECT_NE(text.find("\r\n# power,500\r\n# pwrMode,1\r\n# vThd,512\r\n"), std::string::npos)
      << "the variables, not the package (it holds the last frame)";
  const std::vector<std::string> rows = Rows(text);
  ASSERT_GE(rows.size(), 9u);
  EXPECT_EQ(before, rows.size()) << "each row on disk as it came, none after";
  EXPECT_EQ(
      RecordingTexts(),
      (std::vector<std::string>{"Recording not started: " + bad + ": No such file or directory",
                                "Recording to " + file,
                                "Recorded " + std::to_string(rows.size()) + " frames to " + file}));
  // The frame in flight at the click may come before or after it.
  const int first = rows[0].ends_with(Expected(from - 1)) ? from - 1 : from;
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i].substr(rows[i].find(',')), Expected(first + static_cast<int>(i))) << i;
  EXPECT_LE(first + static_cast<int>(rows.size()), to);
  EXPECT_GE(std::stoll(rows[0]), 300) << "counted from the Run's start, not the recording's";
}

TEST_F(Recorder, ARunWithoutFramesSaysSo) {
  LineScript line(Frames(0));
  StartOn(line);
  QPushButton* record = Button("Record");
  const std::string file = (dir_ / "none.csv").string();
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, file);
  record->click();
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);  // ends in its time-out
  ASSERT_TRUE(WaitUntil([&] { return !record->isChecked(); }, 2.0));
  EXPECT_EQ(RecordingTexts(),
            (std::vector<std::string>{
                "Recording to " + file + ": waiting for a Run", "Recording to " + file,
                "Recorded no frames to " + file + ": the Run ended without frames"}));
}
