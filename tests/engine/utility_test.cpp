// Array files, Fmt, the file dialog seam and the program directory.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "runtime/files/file_dialog.h"
#include "runtime/testing/inspect.h"
#include "runtime/utility.h"
#include "tests/engine/ui_recorder.h"

using namespace uitest;

namespace {

int Write(const std::string& path, const uint32_t* values, int count = 16) {
  return ArrayToFile(path.c_str(), values, UI_DATA_U32, count, 1, 0, 0, 0, 4, UI_FILE_ASCII,
                     UI_FILE_TRUNCATE);
}

int Read(const std::string& path, uint32_t* values, int count = 16) {
  return FileToArray(path.c_str(), values, UI_DATA_U32, count, 1, 0, 0, UI_FILE_ASCII);
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const uint32_t kValues[16] = {50,  0,   512, 64, 1, 3, 1,     1024,
                              512, 100, 1,   1,  0, 1, 10000, 4294967295u};

}  // namespace

TEST(ArrayFile, RoundTripsSixteenValuesOnePerLine) {
  const std::string path = TempDir() + "/para.dat";
  ASSERT_EQ(Write(path, kValues), 0);
  const std::string text = Contents(path);
  EXPECT_EQ(text.substr(0, 15), "  50\n   0\n 512\n");
  EXPECT_NE(text.find("\n10000\n4294967295\n"), std::string::npos);

  uint32_t back[16] = {};
  ASSERT_EQ(Read(path, back), 0);
  EXPECT_EQ(std::memcmp(back, kValues, sizeof back), 0);

  // Written by hand: blanks and CR LF line ends are fine.
  std::string crlf;
  for (uint32_t v : kValues) crlf += "  " + std::to_string(v) + " \r\n";
  uint32_t fromHand[16] = {};
  ASSERT_EQ(Read(WriteTempFile("crlf.dat", crlf), fromHand), 0);
  EXPECT_EQ(std::memcmp(fromHand, kValues, sizeof fromHand), 0);
}

TEST(ArrayFile, RejectsShortAndMalformedFilesNamingTheFirstBadLine) {
  uint32_t array[16];
  for (uint32_t& v : array) v = 77;
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += "1\n";
  struct Case {
    const char* name;
    std::string text;
    int result;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"short", fifteen, UI_FILE_TOO_SHORT, 16, "value missing"},
      {"empty", "", UI_FILE_TOO_SHORT, 1, "value missing"},
      {"word", fifteen + "abc\n", UI_FILE_BAD_VALUE, 16, "not an unsigned decimal number"},
      {"minus", "1\n-1\n" + fifteen, UI_FILE_BAD_VALUE, 2, "not an unsigned decimal number"},
      {"huge", "4294967296\n" + fifteen, UI_FILE_BAD_VALUE, 1, "above 4294967295"},
      {"gap", "1\n\n" + fifteen, UI_FILE_BAD_VALUE, 2, "empty line"},
      {"seventeen", fifteen + "1\n2\n", UI_FILE_BAD_VALUE, 17, "more values than expected"},
      {"long", fifteen + "1\n" + std::string(10000, ' ') + "\n", UI_FILE_BAD_VALUE, 0,
       "file too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(WriteTempFile(std::string(c.name) + ".dat", c.text), array), c.result);
    char reason[64] = "";
    int line = -1;
    EXPECT_EQ(GetFileErrorInfo(reason, sizeof reason, &line), -1);
    EXPECT_EQ(line, c.line);
    EXPECT_STREQ(reason, c.reason);
  }
  EXPECT_EQ(Read(TempDir() + "/missing.dat", array), UI_FILE_IO_ERROR);
  char reason[64] = "";
  int line = -1;
  GetFileErrorInfo(reason, sizeof reason, &line);
  EXPECT_STREQ(reason, "no such file or directory");
  EXPECT_EQ(line, 0);
  for (uint32_t v : array) ASSERT_EQ(v, 77u);

  // Sixteen values followed by blank lines are a whole file; a success clears the reason.
  ASSERT_EQ(Read(WriteTempFile("blank-tail.dat", fifteen + "5\n\n \n"), array), 0);
  EXPECT_EQ(array[15], 5u);
  EXPECT_EQ(GetFileErrorInfo(reason, sizeof reason, &line), 0);
  EXPECT_STREQ(reason, "");

  EXPECT_EQ(FileToArray("x", array, 6, 16, 1, 0, 0, UI_FILE_ASCII), UI_FILE_BAD_FORM);
  EXPECT_EQ(ArrayToFile("x", array, UI_DATA_U32, 16, 2, 0, 0, 0, 4, UI_FILE_ASCII, 0),
            UI_FILE_BAD_FORM);
}

TEST(ArrayFile, FailedWriteLeavesTheOldFileWhole) {
  EXPECT_EQ(Write(TempDir() + "/no/such/dir/para.dat", kValues), UI_FILE_IO_ERROR);
  EXPECT_EQ(Write("", kValues), UI_FILE_IO_ERROR);

  const std::string path = TempDir() + "/kept.dat";
  ASSERT_EQ(Write(path, kValues), 0);
  const std::string before = Contents(path);

  // Files may not grow beyond 20 bytes: the new contents cannot be written.
  // (A file-size limit binds even root, unlike permissions.)
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 20;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  uint32_t other[16];
  for (uint32_t& v : other) v = 9999;
  const int result = Write(path, other);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(result, UI_FILE_IO_ERROR);
  EXPECT_EQ(Contents(path), before);
  char reason[64] = "";
  GetFileErrorInfo(reason, sizeof reason, nullptr);
  EXPECT_STREQ(reason, "file too large");
}

TEST(Fmt, TurnsWordsIntoTextHighByteFirst) {
  const int words[4] = {('V' << 8) | '1', ('.' << 8) | '2', ('1' << 8) | ' ', 0};
  char text[73];
  EXPECT_EQ(Fmt(text, "%72c<%36i", words), 6);
  EXPECT_STREQ(text, "V1.21 ");

  // Ends at the first zero byte, also a low byte.
  const int early[2] = {('A' << 8) | 0, ('B' << 8) | 'C'};
  EXPECT_EQ(Fmt(text, "%72c<%2i", early), 1);
  EXPECT_STREQ(text, "A");

  // At most n characters, always terminated.
  int full[36];
  for (int& w : full) w = ('x' << 8) | 'y';
  std::memset(text, '#', sizeof text);
  EXPECT_EQ(Fmt(text, "%72c<%36i", full), 72);
  EXPECT_EQ(std::strlen(text), 72u);
  char small[6];
  EXPECT_EQ(Fmt(small, "%5c<%36i", full), 5);
  EXPECT_STREQ(small, "xyxyx");

  EXPECT_EQ(Fmt(text, "%d", full), -1);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(Fmt(text, "%72c<%36i trailing", full), -1);
}

TEST(FileSelect, QueuedAnswersAreTakenInOrderAndRequestsRecorded) {
  ClearFileSelectAnswers();
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, "/tmp/a/QVORpara.dat");
  QueueFileSelectAnswer(UI_FILE_CANCELLED, "");
  char path[UI_PATH_MAX];
  EXPECT_EQ(FileSelectPopup("/opt/v", "QVORpara.dat", "*.dat", "Q-VOR-MK-Series Parameter File",
                            UI_FILE_BUTTON_OK, 0, 1, 1, 1, path),
            UI_FILE_SELECTED_NEW);
  EXPECT_STREQ(path, "/tmp/a/QVORpara.dat");
  EXPECT_EQ(FileSelectPopup("/opt/v", "QVORpara.dat", "*.dat", "Q-VOR-MK-Parameter File",
                            UI_FILE_BUTTON_LOAD, 0, 1, 1, 1, path),
            UI_FILE_CANCELLED);
  const auto requests = FileSelectRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].title, "Q-VOR-MK-Series Parameter File");
  EXPECT_EQ(requests[0].directory, "/opt/v");
  EXPECT_EQ(requests[0].filter, "*.dat");
  EXPECT_EQ(requests[0].buttonKind, UI_FILE_BUTTON_OK);
  EXPECT_EQ(requests[0].restrictExtension, 1);
  EXPECT_EQ(requests[1].buttonKind, UI_FILE_BUTTON_LOAD);

  // A path that does not fit the program's buffer is a failure, not a cut path.
  QueueFileSelectAnswer(UI_FILE_SELECTED_EXISTING, "/" + std::string(UI_PATH_MAX, 'p'));
  EXPECT_LT(FileSelectPopup("", "", "*.dat", "", UI_FILE_BUTTON_LOAD, 0, 1, 1, 1, path), 0);
  EXPECT_STREQ(path, "");
  ClearFileSelectAnswers();
  EXPECT_TRUE(FileSelectRequests().empty());
}

// An installed program lies in a system folder the operator cannot write to:
// an unrestricted dialog then opens in the home folder, a restricted one stays.
TEST(FileSelect, OpensInTheHomeFolderWhenTheGivenOneIsNotWritable) {
  const std::string writable = QDir::tempPath().toStdString();
  const std::string readOnly = writable + "/vantrel-read-only-" + std::to_string(getpid());
  QDir().mkpath(QString::fromStdString(readOnly));
  QFile::setPermissions(QString::fromStdString(readOnly), QFile::ReadOwner | QFile::ExeOwner);
  const std::string home = QDir::homePath().toStdString();
  const std::string missing = "/nonexistent/vantrel";
  struct Row {
    std::string directory;
    int restrict;
    std::string opensIn;
  };
  // An installed program's folder is the system's, even for root.
  std::vector<Row> rows = {
      {writable, 0, writable}, {missing, 0, home}, {missing, 1, missing}, {"/usr/lib", 0, home}};
  // Root may write anywhere: the mode says nothing then.
  if (geteuid() != 0) rows.push_back({readOnly, 0, home});
  char path[UI_PATH_MAX];
  for (const Row& row : rows) {
    SCOPED_TRACE(row.directory);
    ForgetFileSelectFolders();
    ClearFileSelectAnswers();
    QueueFileSelectAnswer(UI_FILE_CANCELLED, "");
    FileSelectPopup(row.directory.c_str(), "QVORpara.dat", "*.dat", "", UI_FILE_BUTTON_LOAD,
                    row.restrict, 1, 1, 1, path);
    ASSERT_EQ(FileSelectRequests().size(), 1u);
    EXPECT_EQ(FileSelectRequests()[0].opensIn, row.opensIn);
    EXPECT_EQ(FileSelectRequests()[0].directory, row.directory);
  }
  ClearFileSelectAnswers();
  QFile::setPermissions(QString::fromStdString(readOnly),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QDir().rmdir(QString::fromStdString(readOnly));
}

TEST(ProjectDir, IsTheProgramsDirectoryAndMustFit) {
  char dir[UI_PATH_MAX];
  ASSERT_EQ(GetProjectDir(dir, sizeof dir), 0);
  EXPECT_EQ(std::string(dir), QCoreApplication::applicationDirPath().toStdString());
  char tiny[4];
  EXPECT_EQ(GetProjectDir(tiny, sizeof tiny), -1);
}

// Without an answer provider, as in the program: the dialog is shown and no
// request is kept.
TEST(FileSelect, WithoutQueuedAnswersTheDialogIsShown) {
  ClearFileSelectAnswers();
  const FileSelectAnswerProvider answers = SetFileSelectAnswerProvider(nullptr);
  const std::string dir = TempDir();
  WriteTempFile("existing.dat", "1\n");
  // Plays the operator: waits for the dialog, then answers it.
  auto answer = [](std::function<void(QFileDialog*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        timer->stop();
        timer->deleteLater();
        act(dialog);
      } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        // A question from the dialog would wait for ever: fail with its text and close it.
        ADD_FAILURE() << "unexpected message: " << box->text().toStdString();
        box->reject();
      }
    });
    timer->start(5);
  };
  char path[UI_PATH_MAX];

  std::string title;
  answer([&](QFileDialog* d) {
    title = d->windowTitle().toStdString();
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(d->labelText(QFileDialog::Accept).toStdString(), "Save");
    d->selectFile("fresh.txt");
    static_cast<QDialog*>(d)->accept();  // the dialog's own accept, as its button
  });
  EXPECT_EQ(FileSelectPopup(dir.c_str(), "QVORpara.dat", "*.dat", "Save set", UI_FILE_BUTTON_OK, 0,
                            1, 1, 1, path),
            UI_FILE_SELECTED_NEW);
  EXPECT_EQ(title, "Save set");
  EXPECT_EQ(std::string(path), dir + "/fresh.dat");  // the filter's extension, not .txt

  answer([](QFileDialog* d) {
    EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
    d->selectFile("existing.dat");
    static_cast<QDialog*>(d)->accept();  // the dialog's own accept, as its button
  });
  EXPECT_EQ(
      FileSelectPopup(dir.c_str(), "", "*.dat", "Load set", UI_FILE_BUTTON_LOAD, 0, 1, 1, 1, path),
      UI_FILE_SELECTED_EXISTING);
  EXPECT_EQ(std::string(path), dir + "/existing.dat");

  answer([](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(
      FileSelectPopup(dir.c_str(), "", "*.dat", "Load set", UI_FILE_BUTTON_LOAD, 0, 1, 1, 1, path),
      UI_FILE_CANCELLED);
  EXPECT_STREQ(path, "");
  SetFileSelectAnswerProvider(answers);
  EXPECT_TRUE(FileSelectRequests().empty());
}
