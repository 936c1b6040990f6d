// Every writer on a disk that refuses its file: a file-size limit, which binds
// root as well and fails the write itself as a full disk does. The file there
// before stays as it was and nothing is left beside it; the status line names
// the file and the system's reason. A streamed file keeps every whole line.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>

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

// Files may not grow beyond `bytes` while it lives.
struct SizeLimit {
  explicit SizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);  // as the engine has it
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{bytes, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~SizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
  rlimit old{};
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

void ExportItem(int item) {
  InspectPanelWindow(panelHandle)->findChild<QMenu*>("exportMenu")->actions().at(item)->trigger();
}

// Each writer's command as the operator gives it; its dialog is answered.
struct Writer {
  const char* file;
  void (*command)();
  const char* said;  // "$" stands for the path
};
void Sheet() {
  Button("MainPanel", "Compare")->click();
  Button("CompareWindow", "Parameter sheet")->click();
}
const Writer kWholeFiles[] = {
    {"para.dat", [] { SimulateToggle(panelHandle, RBTFile), SimulateClick(panelHandle, BTNSend); },
     "Cannot write parameter file para.dat: file too large"},
    {"s.backup", sets::TakeBackupAsked, "Backup not saved: $: File too large"},
    {"video.csv", [] { ExportItem(0); }, "Export failed: $: File too large"},
    {"scope.png", [] { ExportItem(1); }, "Export failed: $: File too large"},
    {"sheet.html", Sheet, "Parameter sheet not saved: Cannot write $: File too large"},
    {"sheet.pdf", Sheet, "Parameter sheet not saved: Cannot write $: File too large"},
    {"line.trace",
     [] {
       Button("MainPanel", "Line monitor")->click();
       Button("LineMonitorWindow", "Save trace...")->click();
     },
     "Trace not saved: $: File too large"},
};
// What the operator reads: the line monitor's own message line once it is
// open, else the status line.
std::string Shown() {
  QAbstractButton* save = Button("LineMonitorWindow", "Save trace...");
  if (save == nullptr) return StatusLine();
  return save->window()->findChild<QLabel*>("messages")->text().toStdString();
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
    UninstallCompare(), UninstallWatchTools(), UninstallLineMonitor();
  }
  const fs::path dir_ = fs::temp_directory_path() / ("vantrel-full-" + std::to_string(getpid()));
};

}  // namespace

TEST_F(FullDisk, EveryWholeFileKeepsTheOldOneAndSaysWhy) {
  for (const Writer& writer : kWholeFiles) {
    SCOPED_TRACE(writer.file);
    fs::create_directories(dir_);
    const fs::path path = dir_ / writer.file;
    std::ofstream(path) << "the file as it was\n";
    QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, path);
    std::string shown;
    {
      const SizeLimit full(16);
      writer.command();
      shown = Shown();
    }
    std::string said = writer.said;
    if (const size_t at = said.find('$'); at != std::string::npos) said.replace(at, 1, path);
    EXPECT_EQ(shown, said);
    EXPECT_EQ(ReadAll(path), "the file as it was\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    fs::remove_all(dir_);
  }
}

TEST_F(FullDisk, AStreamedFileStopsAtOnceWithItsWholeLinesAndSaysWhy) {
  fs::create_directories(dir_);
  const std::string trace = (dir_ / "line.trace").string(), rows = (dir_ / "run.csv").string();
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
  fs::remove_all(dir_);
}
