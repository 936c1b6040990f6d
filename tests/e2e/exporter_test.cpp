// The Export command on the running program: CSV positions as the data graph
// draws them, failures that leave no file, a graph's PNG with its context line.
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "monitor/qt/line_monitor.h"
#include "runtime/testing/inspect_widgets.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"
#include "watch/qt/exporter.h"
#include "watch/qt/graph_picture.h"

namespace fs = std::filesystem;
namespace {
enum Command { kVideoCsv, kScopePng, kDataPng };  // the menu's order

class Exporter : public OperatedProgram {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InstallLineMonitor(nullptr));  // it shows the exporter the video blocks read
    InstallExporter(), fs::create_directories(dir_);
  }
  void TearDown() override {
    OperatedProgram::TearDown(), UninstallExporter(), UninstallLineMonitor(), fs::remove_all(dir_);
  }
  static QMenu* Menu() { return InspectPanelWindow(panelHandle)->findChild<QMenu*>("exportMenu"); }
  // The command chosen as a mouse would; the dialog answers `path` (0: cancelled).
  static void Choose(Command command, const fs::path& path, int result = 2) {
    QueueFileSelectAnswer(result, path.string());
    Menu()->actions().at(command)->trigger();
  }
  const fs::path dir_ = fs::temp_directory_path() / ("vantrel-export-" + std::to_string(getpid()));
};
}  // namespace

TEST_F(Exporter, VideoCsvHoldsThePositionsTheDataGraphDrawsInCcdModesZeroAndOne) {
  Start();  // a 1024-pixel line: mode 0 spreads it over every 4th pixel
  const fs::path file = dir_ / "video.csv";
  // Mode 0 exported inside the loop once the pass has drawn; mode 1 after it,
  // when the frame has moved the reported window (pix1) off the drawn one.
  for (const auto& [mode, first, step] : {std::tuple{0, 0, 4}, {1, 100, 1}}) {
    ccdMode = static_cast<uint16_t>(mode);
    pStart = 100;
    DeleteGraphPlot(panelHandle, GRAPH_Data, UI_ALL_PLOTS, UI_REDRAW_DELAYED);
    MarkTexts();
    WhenReady drawn([] { return InspectGraphPlots(panelHandle, GRAPH_Data).size() == 2; },
                    [&] {
                      if (mode == 0) Choose(kVideoCsv, file);
                      PressStop();  // the loop ends after this pass
                    });
    ASSERT_EQ(SimulateClick(panelHandle, BTNData), 0);
    ASSERT_NE(pix1, pStart) << "the frame left the reported window where the line is drawn";
    if (mode == 1) Choose(kVideoCsv, file);
    const std::vector<GraphPlotInfo> plots = InspectGraphPlots(panelHandle, GRAPH_Data);
    std::string expected = "position,level,threshold\r\n";
    for (int i = 0; i < VIDEO_SAMPLES; ++i)
      expected += std::to_string(first + step * i) + "," + std::to_string(int(plots[0].y[i])) +
                  "," + std::to_string(int(plots[1].y[i])) + "\r\n";
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected) << "mode " << mode;
    EXPECT_EQ(TextsSinceMark().back(), "Exported video line to " + file.string());
  }
}

TEST_F(Exporter, FailedOrCancelledExportLeavesNoFileAndSaysWhyOrNothing) {
  Start();
  // No video line has been read: there is none to export, and no file is asked for.
  const size_t asked = FileSelectRequests().size();
  Menu()->actions().at(kVideoCsv)->trigger();
  EXPECT_EQ(TextsSinceMark(),
            std::vector<std::string>{"Export: no video line read yet; Video data reads one"});
  EXPECT_EQ(FileSelectRequests().size(), asked);
  for (const auto& [command, path, result, why] :
       {std::tuple{kDataPng, dir_ / "missing" / "x.png", 2, "No such file or directory"},
        {kScopePng, dir_, 2, "a directory, not a file"},
        {kDataPng, dir_ / "x.png", 0, ""}}) {
    MarkTexts();
    Choose(command, path, result);
    const std::string text = "Export failed: " + path.string() + ": " + why;
    EXPECT_EQ(TextsSinceMark(), std::vector<std::string>(result == 0 ? 0 : 1, text));
  }
  EXPECT_TRUE(fs::is_empty(dir_)) << "a file or a temporary one was left";
}

TEST_F(Exporter, DataGraphPngChosenByKeyboardIsThePictureWithAContextLineUnderIt) {
  Start();
  QWidget* window = InspectPanelWindow(panelHandle);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  // Enter on Export, the next stop of Tab after "Teach set-point", opens the menu; so does Ctrl+E.
  InspectControlWidget(panelHandle, BTNTeach)->setFocus();
  for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Return}) QTest::keyClick(window->windowHandle(), key);
  ASSERT_TRUE(Menu()->isVisible());
  QTest::keyClick(Menu(), Qt::Key_Escape);
  QTest::keyClick(window->windowHandle(), Qt::Key_E, Qt::ControlModifier);
  ASSERT_TRUE(Menu()->isVisible());
  EXPECT_EQ(Menu()->activeAction(), Menu()->actions().first()) << "ready for the keyboard";
  const fs::path file = dir_ / "data.png";
  QueueFileSelectAnswer(2, file.string());
  MarkTexts();
  QTest::keyClick(Menu(), Qt::Key_D);  // its mnemonic
  EXPECT_EQ(TextsSinceMark(), std::vector<std::string>{"Exported data graph to " + file.string()});
  QImage picture(QString::fromStdString(file.string()), "PNG");
  QWidget* graph = InspectControlWidget(panelHandle, GRAPH_Data);
  const int w = graph->width(), h = graph->height();
  ASSERT_EQ(picture.size(), QSize(w, h + ContextLineHeight()));
  picture = picture.convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(picture.copy(0, 0, w, h), graph->grab().toImage().convertToFormat(picture.format()));
  QImage white = picture.copy(0, h, w, ContextLineHeight());
  white.fill(Qt::white);
  EXPECT_NE(picture.copy(0, h, w, ContextLineHeight()), white) << "no context text";
}
