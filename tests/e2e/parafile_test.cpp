// The parameter file store through the real send and get callbacks, the real
// engine and its file operations; the dialogs are answered through the
// engine's seam.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QWidget>

#include "param/parafile.h"
#include "param/transfer.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/utility.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/wait.h"

namespace {
namespace fs = std::filesystem;
using Words = std::array<uint16_t, 16>;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ParaFile : public OperatedProgram {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vantrel-parafile-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(SimulateToggle(panelHandle, RBTFile), 0);
    ASSERT_EQ(target, DATFILE);
  }
  void TearDown() override {
    OperatedProgram::TearDown();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  // Send with the save dialog answered.
  void Send(int answer, const std::string& path) {
    QueueFileSelectAnswer(answer, path);
    ASSERT_EQ(SimulateClick(panelHandle, BTNSend), 0);
  }
  void Get(int answer, const std::string& path) {
    QueueFileSelectAnswer(answer, path);
    ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  }

  fs::path dir_;
};
}  // namespace

TEST_F(ParaFile, SendWritesSixteenLinesInPackageOrderAndGetReadsThemBack) {
  SetCtrlVal(panelHandle, NUM_Power, 50);
  SetCtrlVal(panelHandle, NEDITEdgeRight, 1024);
  SetCtrlVal(panelPopUp, NEDITTeach, 300);
  SetCtrlVal(panelPopUp, NUM_ScalFact, 1.15);
  const std::string path = Path("QVORpara.dat");
  Send(UI_FILE_SELECTED_NEW, path);

  const std::vector<FileSelectRequest> asked = FileSelectRequests();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].title, "Q-VOR-MK-Series Parameter File");
  EXPECT_EQ(asked[0].buttonKind, UI_FILE_BUTTON_OK);
  EXPECT_EQ(asked[0].directory, std::string(proj_dir));
  EXPECT_EQ(asked[0].fileName, "QVORpara.dat");
  EXPECT_EQ(asked[0].filter, "*.dat");
  EXPECT_EQ(asked[0].restrictDirectory, 0);
  EXPECT_EQ(asked[0].restrictExtension, 1);
  EXPECT_EQ(asked[0].allowCancel, 1);
  EXPECT_EQ(asked[0].allowMakeDirectory, 1);

  const Words written = Variables();
  std::string expected;
  for (uint16_t w : written) {
    char line[16];
    std::snprintf(line, sizeof line, "%4u\n", static_cast<unsigned>(w));
    expected += line;
  }
  EXPECT_EQ(Contents(path), expected);
  EXPECT_EQ(Contents(path).substr(0, 5), "  50\n");
  EXPECT_EQ(written[7], 1024);
  EXPECT_EQ(written[15], 1150);
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[shown.size() - 2], "Transmit...");
  EXPECT_EQ(shown.back(), "Parameter file written: QVORpara.dat");
  EXPECT_TRUE(TakeOrders().empty()) << "the file store never talks to the sensor";

  // Change the panels, then get the file back: every word returns.
  SetCtrlVal(panelHandle, NUM_Power, 999);
  SetCtrlVal(panelPopUp, NEDITTeach, 700);
  SetCtrlVal(panelHandle, BINSWITCH_UM, 0);
  Get(UI_FILE_SELECTED_EXISTING, path);
  EXPECT_EQ(FileSelectRequests().back().title, "Q-VOR-MK-Parameter File");
  EXPECT_EQ(FileSelectRequests().back().buttonKind, UI_FILE_BUTTON_LOAD);
  EXPECT_EQ(FileSelectRequests().back().fileName, "QVORpara.dat");
  EXPECT_EQ(Variables(), written);
  EXPECT_EQ(U16(panelHandle, NUM_Power), 50);
  EXPECT_EQ(U16(panelPopUp, NEDITTeach), 300);
  EXPECT_EQ(U16(panelHandle, BINSWITCH_UM), 1);
  EXPECT_EQ(StatusLine(), "Parameter file loaded: QVORpara.dat");
  EXPECT_TRUE(TakeOrders().empty());
}

TEST_F(ParaFile, EveryWordOfAFileReachesThePackageWithItsLow16Bits) {
  // Values the panels could not hold: 0, 65535, five digits, above 16 bits.
  const uint32_t values[16] = {0,   65535, 10000, 70000, 1, 4294967295u, 12, 1024,
                               512, 100,   1,     1,     2, 1023,        2,  65536};
  std::string text;
  for (uint32_t v : values) text += std::to_string(v) + "\n";
  const std::string path = Path("wide.dat");
  WriteText(path, text);
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, path);
  ReadParaFromFile();  // the load alone: the panels' range check does not run
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(pp[i], static_cast<uint16_t>(values[i] & 0xFFFF)) << i;
    EXPECT_EQ(Variables()[static_cast<size_t>(i)], pp[i]) << i;
  }

  // Written again as it stands, the wide values take the room they need and
  // come back unchanged.
  uint32_t wide[16];
  for (int i = 0; i < 16; ++i) wide[i] = pp[i];
  const std::string again = Path("again.dat");
  ASSERT_EQ(ArrayToFile(again.c_str(), wide, UI_DATA_U32, 16, 1, 0, 0, 0, 4, UI_FILE_ASCII,
                        UI_FILE_TRUNCATE),
            0);
  EXPECT_NE(Contents(again).find("\n65535\n10000\n"), std::string::npos);
  std::memset(pp, 0, sizeof pp);
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, again);
  ReadParaFromFile();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(pp[i], static_cast<uint16_t>(wide[i])) << i;
}

TEST_F(ParaFile, ValuesTheRangeCheckReplacesAreMarkedAndCounted) {
  // Power 5000, evaluation mode 9, tolerance 3000 and CCD mode 123 no sensor
  // may hold: each replaced by a value it accepts, each marked, all counted.
  const std::string path = Path("odd.dat");
  WriteText(path, "5000\n0\n512\n64\n1\n9\n1\n512\n512\n3000\n1\n1\n123\n1\n0\n1000\n");
  Get(UI_FILE_SELECTED_EXISTING, path);
  EXPECT_EQ(StatusLine(), "Out of range: 4 values replaced (see marked controls)");
  EXPECT_EQ(U16(panelHandle, NUM_Power), 500);
  EXPECT_EQ(U16(panelHandle, DropDEvalmode), 3);
  EXPECT_EQ(U16(panelPopUp, RING_CCDMode), 0);
  EXPECT_EQ(InspectControlWidget(panelPopUp, RING_CCDMode)->toolTip().toStdString(),
            "From the file: 123 is outside 0..2, shown as 0");
  const std::pair<int, const char*> notes[] = {
      {NUM_Power, "From the file: 5000 is outside 0..1000, shown as 500"},
      {DropDEvalmode, "From the file: 9 is outside 0..3, shown as 3"},
      {NEDITVideoThreshold, ""}};
  for (const auto& [control, note] : notes)
    EXPECT_EQ(InspectControlWidget(panelHandle, control)->toolTip().toStdString(), note);
  EXPECT_EQ(InspectControlWidget(panelPopUp, NEDITTolerance)->toolTip().toStdString(),
            "From the file: 3000 is outside 0..512, shown as 128");
  // The next read that needs no replacement removes every mark.
  WriteText(path, "600\n0\n512\n64\n1\n1\n1\n512\n512\n100\n1\n1\n0\n1\n0\n1000\n");
  Get(UI_FILE_SELECTED_EXISTING, path);
  EXPECT_EQ(StatusLine(), "Parameter file loaded: odd.dat");
  EXPECT_EQ(InspectControlWidget(panelHandle, NUM_Power)->toolTip().toStdString(), "");
}

TEST_F(ParaFile, BadFilesAreRejectedNamingTheLineAndChangeNothing) {
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += " 100\n";
  struct Case {
    const char* name;
    std::string text;
    const char* status;
  };
  const Case cases[] = {
      {"short.dat", fifteen, "Rejected line 16 of short.dat: value missing"},
      {"empty.dat", "", "Rejected line 1 of empty.dat: value missing"},
      {"word.dat", " 100\nabc\n" + fifteen,
       "Rejected line 2 of word.dat: not an unsigned decimal number"},
      {"minus.dat", "-5\n" + fifteen,
       "Rejected line 1 of minus.dat: not an unsigned decimal number"},
      {"big.dat", fifteen + "99999999999\n", "Rejected line 16 of big.dat: above 4294967295"},
      {"long.dat", fifteen + "1\n2\n", "Rejected line 17 of long.dat: more values than expected"},
  };
  const Words before = Variables();
  const Words packageBefore = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memcpy(pp, packageBefore.data(), sizeof pp);
    WriteText(Path(c.name), c.text);
    QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, Path(c.name));
    ReadParaFromFile();
    EXPECT_EQ(StatusLine(), c.status);
    EXPECT_EQ(std::memcmp(pp, packageBefore.data(), sizeof pp), 0) << "package unchanged";
    EXPECT_EQ(Variables(), before) << "variables unchanged";
  }

  // Through the get button: the panel is refreshed from the unchanged variables.
  SetCtrlVal(panelHandle, NUM_Power, 777);
  Get(UI_FILE_SELECTED_EXISTING, Path("missing.dat"));
  EXPECT_EQ(StatusLine(), "Cannot read parameter file missing.dat: no such file or directory");
  EXPECT_EQ(U16(panelHandle, NUM_Power), before[0]);
  EXPECT_EQ(Variables(), before);
}

TEST_F(ParaFile, CancelledDialogsChangeNothing) {
  const std::string path = Path("QVORpara.dat");
  WriteText(path, "old\n");
  const std::string lineBefore = StatusLine();
  const size_t shownBefore = InspectShownTexts(panelHandle, TEXT_Status).size();
  Send(UI_FILE_CANCELLED, path);
  EXPECT_EQ(Contents(path), "old\n") << "a cancelled save writes nothing";
  // "Transmit..." is not left standing for a save that never happened.
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  ASSERT_EQ(shown.size(), shownBefore + 2);
  EXPECT_EQ(shown[shownBefore], "Transmit...");
  EXPECT_EQ(StatusLine(), lineBefore);

  const Words before = Variables();
  SetStatusText("kept");
  SetCtrlVal(panelHandle, NUM_Power, 777);
  Get(UI_FILE_CANCELLED, path);
  EXPECT_EQ(Variables(), before);
  EXPECT_EQ(U16(panelHandle, NUM_Power), before[0]) << "the panel shows the variables";
  EXPECT_EQ(StatusLine(), "kept") << "the get shows the text it had again";
  EXPECT_TRUE(TakeOrders().empty());
}

TEST_F(ParaFile, AWriteThatCannotBeMadeSaysWhyAndLeavesNoFile) {
  // A directory nobody may write into. Root ignores permissions, so as root a
  // read-only file system stands in for it.
  const fs::path locked = dir_ / "locked";
  fs::create_directories(locked);
  bool mounted = false;
  std::string why = "permission denied";
  if (geteuid() == 0) {
    mounted = mount("tmpfs", locked.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0;
    if (!mounted)
      GTEST_SKIP() << "running as root without the right to mount a read-only directory";
    why = "read-only file system";
  } else {
    chmod(locked.c_str(), 0555);
  }
  const std::string path = (locked / "QVORpara.dat").string();
  const uint16_t packed = power;
  Send(UI_FILE_SELECTED_NEW, path);
  EXPECT_EQ(StatusLine(), "Cannot write parameter file QVORpara.dat: " + why);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(fs::is_empty(locked)) << "no temporary file is left behind";
  EXPECT_EQ(pp[0], packed) << "the package stays as packed";
  if (mounted) umount(locked.c_str());
  chmod(locked.c_str(), 0755);

  Send(UI_FILE_SELECTED_NEW, (dir_ / "no" / "such" / "dir.dat").string());
  EXPECT_EQ(StatusLine(), "Cannot write parameter file dir.dat: no such file or directory");
}

TEST_F(ParaFile, AByteOrderMarkIsSkippedAndWhatIsNoFileIsRefusedAtOnce) {
  // As a Windows editor saves it: byte-order mark, CR LF.
  std::string text = "\xEF\xBB\xBF";
  for (int i = 1; i <= 16; ++i) text += std::to_string(i) + "\r\n";
  WriteText(Path("bom.dat"), text);
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, Path("bom.dat"));
  ReadParaFromFile();
  EXPECT_EQ(StatusLine(), "Parameter file loaded: bom.dat");
  for (int i = 0; i < 16; ++i) EXPECT_EQ(pp[i], i + 1) << i;

  // A named pipe, a folder and a device: refused at once for load and save,
  // left as they are, nothing left beside them. A writer keeps knocking at the
  // pipe, so that a load that waited on it would read nothing rather than hang.
  const std::string pipe = Path("pipe.dat");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::atomic<bool> finished{false};
  std::thread writer([&] {
    while (!finished) close(open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
  });
  fs::create_directories(Path("folder.dat"));
  const std::array<std::array<std::string, 3>, 3> cases = {
      {{pipe, "pipe.dat", "a named pipe, not a file"},
       {Path("folder.dat"), "folder.dat", "a directory, not a file"},
       {"/dev/null", "null", "a device, not a file"}}};
  for (const auto& [path, name, reason] : cases) {
    SCOPED_TRACE(path);
    const auto begin = std::chrono::steady_clock::now();
    uint16_t before[PNUM];
    std::memcpy(before, pp, sizeof pp);
    QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, path);
    ReadParaFromFile();
    EXPECT_EQ(StatusLine(), "Cannot read parameter file " + name + ": " + reason);
    EXPECT_EQ(std::memcmp(pp, before, sizeof pp), 0) << "the package is unchanged";
    if (path == "/dev/null") continue;  // never replaced, not even by a faulty build
    Send(UI_FILE_SELECTED_EXISTING, path);
    EXPECT_EQ(StatusLine(), "Cannot write parameter file " + name + ": " + reason);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), 1.0);
  }
  finished = true;
  writer.join();
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_TRUE(fs::is_empty(Path("folder.dat")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

TEST_F(ParaFile, EachDialogOpensWhereTheLastOneEnded) {
  fs::create_directories(dir_ / "a");
  fs::create_directories(dir_ / "b");
  Send(UI_FILE_SELECTED_NEW, (dir_ / "a" / "one.dat").string());
  Get(UI_FILE_CANCELLED, "");
  WriteText((dir_ / "b" / "two.dat").string(), Contents((dir_ / "a" / "one.dat").string()));
  Get(UI_FILE_SELECTED_EXISTING, (dir_ / "b" / "two.dat").string());
  Send(UI_FILE_CANCELLED, "");
  const std::vector<FileSelectRequest> asked = FileSelectRequests();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].opensIn, std::string(proj_dir)) << "the first one opens in the program's";
  EXPECT_EQ(asked[1].opensIn, (dir_ / "a").string()) << "where the save ended";
  EXPECT_EQ(asked[2].opensIn, (dir_ / "a").string()) << "a cancel moves nothing";
  EXPECT_EQ(asked[3].opensIn, (dir_ / "b").string());
  for (const FileSelectRequest& request : asked)
    EXPECT_EQ(request.directory, std::string(proj_dir));
  EXPECT_EQ(StatusLine(), "Parameter file loaded: two.dat") << "the cancelled save left it";
}
