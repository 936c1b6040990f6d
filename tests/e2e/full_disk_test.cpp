// Every writer on a disk that refuses its file: a file-size limit, which binds
// root as well and fails the write itself as a full disk does. The file there
// before stays as it was and nothing is left beside it; the status line names
// the file and the system's reason. A streamed file keeps every whole line.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "monitor/qt/line_monitor.h"
#include "monitor/trace_file.h"
#include "runtime/testing/inspect_widgets.h"
#include "sets/views/backup_commands.h"
#include "sets/views/compare.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"
#include "watch/qt/run_feed.h"
#include "watch/qt/watch_tools.h"

namespace fs = std::filesystem;
namespace {

// Files may not grow beyond `bytes` while it lives; the write that would is
// refused with "File too large" instead of the process being killed.
class SizeLimit {
 public:
  explicit SizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit small = old_;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~SizeLimit() { setrlimit(RLIMIT_FSIZE, &old_), std::signal(SIGXFSZ, handler_); }

 private:
  rlimit old_{};
  void (*handler_)(int);
};

std::string ReadAll(const fs::path& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

QAbstractButton* Button(const char* window, const char* name) {
  for (QWidget* top : QApplication::topLevelWidgets())
    for (QAbstractButton* b : top->findChildren<QAbstractButton*>())
      if (top->objectName() == window && b->accessibleName() == name) return b;
  return nullptr;
}

class FullDisk : public OperatedProgram {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InstallLineMonitor(nullptr));
    InstallWatchTools();
    InstallCompare();
    Start();
    // One pass of Video data: the video line is read, the export has one.
    WhenReady stop([&] { return sensor_->Orders().size() >= 5; }, [] { PressStop(); });
    ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
    ASSERT_TRUE(WaitUntil([] { return !watch::RunInProgress(); }, 2.0));
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallCompare();
    UninstallWatchTools();
    UninstallLineMonitor();
  }
};

// Each writer as the operator starts it, the dialog answered with `path`;
// returns the text shown where its command is.
std::string Export(int command, const std::string& path) {
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, path);
  InspectPanelWindow(panelHandle)
      ->findChild<QMenu*>("exportMenu")
      ->actions()
      .at(command)
      ->trigger();
  return StatusLine();
}
std::string Sheet(const std::string& path) {
  Button("MainPanel", "Compare")->click();
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, path);
  Button("CompareWindow", "Parameter sheet")->click();
  return StatusLine();
}

struct Writer {
  const char* name;
  const char* file;
  std::string (*write)(const std::string& path);
  const char* said;  // "$" stands for the path
};

const Writer kWholeFiles[] = {
    {"parameter file", "para.dat",
     [](const std::string& path) {
       SimulateToggle(panelHandle, RBTFile);
       QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, path);
       SimulateClick(panelHandle, BTNSend);
       return StatusLine();
     },
     "Cannot write parameter file para.dat: file too large"},
    {"backup", "s.backup",
     [](const std::string& path) { return sets::TakeBackup(path), StatusLine(); },
     "Backup not saved: $: File too large"},
    {"video line CSV", "video.csv", [](const std::string& path) { return Export(0, path); },
     "Export failed: $: File too large"},
    {"scope PNG", "scope.png", [](const std::string& path) { return Export(1, path); },
     "Export failed: $: File too large"},
    {"HTML sheet", "sheet.html", Sheet,
     "Parameter sheet not saved: Cannot write $: File too large"},
    {"PDF sheet", "sheet.pdf", Sheet, "Parameter sheet not saved: Cannot write $: File too large"},
    {"saved trace", "line.trace",
     [](const std::string& path) {
       Button("MainPanel", "Line monitor")->click();
       QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, path);
       Button("LineMonitorWindow", "Save trace...")->click();
       for (QWidget* top : QApplication::topLevelWidgets())
         if (top->objectName() == "LineMonitorWindow")
           return top->findChild<QLabel*>("messages")->text().toStdString();
       return std::string();
     },
     "Trace not saved: $: File too large"},
};

}  // namespace

TEST_F(FullDisk, EveryWholeFileKeepsTheOldOneAndSaysWhy) {
  for (const Writer& writer : kWholeFiles) {
    SCOPED_TRACE(writer.name);
    const fs::path dir = fs::temp_directory_path() / ("vantrel-full-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path path = dir / writer.file;
    std::ofstream(path) << "the file as it was\n";
    std::string shown;
    {
      const SizeLimit full(16);
      shown = writer.write(path.string());
    }
    std::string said = writer.said;
    if (const size_t at = said.find('$'); at != std::string::npos) said.replace(at, 1, path);
    EXPECT_EQ(shown, said);
    EXPECT_EQ(ReadAll(path), "the file as it was\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
        << "something left beside it";
    fs::remove_all(dir);
  }
}

TEST_F(FullDisk, AStreamedFileStopsAtOnceWithItsWholeLinesAndSaysWhy) {
  const fs::path dir = fs::temp_directory_path() / ("vantrel-stream-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string trace = (dir / "line.trace").string(), rows = (dir / "run.csv").string();
  UninstallLineMonitor();
  ASSERT_TRUE(InstallLineMonitor(trace.c_str()));
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, rows);
  QAbstractButton* record = Button("MainPanel", "Record");
  record->click();
  MarkTexts();
  const auto said = [&](const std::string& text) {
    const std::vector<std::string> texts = TextsSinceMark();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  testing::internal::CaptureStderr();
  {
    const SizeLimit full(2000);
    // The Run goes on until both files have met the limit.
    WhenReady stop(
        [&] {
          return !record->isChecked() && said("Trace stopped: " + trace + ": File too large");
        },
        [] { PressStop(); });
    ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  }
  const std::string err = testing::internal::GetCapturedStderr();
  for (const std::string& path : {trace, rows}) {
    SCOPED_TRACE(path);
    const std::string text = ReadAll(path);
    EXPECT_GT(text.size(), 1000u);
    EXPECT_EQ(text.back(), '\n') << "cut mid-line";
    const std::string stopped = (path == trace ? "Trace" : "Recording") +
                                std::string(" stopped: ") + path + ": File too large";
    EXPECT_NE(err.find(stopped + "\n"), std::string::npos) << err;
    EXPECT_TRUE(said(stopped));
  }
  EXPECT_TRUE(monitor::ReadTrace(ReadAll(trace)).ok) << "every line of the trace is whole";
  const std::string csv = ReadAll(rows);
  const std::string last = csv.substr(csv.rfind('\n', csv.size() - 2) + 1);
  EXPECT_EQ(std::count(last.begin(), last.end(), ','), 11) << last;
  fs::remove_all(dir);
}
