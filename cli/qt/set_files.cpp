#include "cli/qt/set_files.h"

#include <QFile>
#include <QFileInfo>

#include "runtime/array_text.h"
#include "runtime/file_write.h"
#include "runtime/utility.h"

namespace cli {
namespace {

constexpr int kFieldWidth = 4;  // the parameter file's column
constexpr int kReasonLength = 128;

std::string ArrayFileFailure(const std::string& path) {
  char reason[kReasonLength] = "";
  int line = 0;
  GetFileErrorInfo(reason, sizeof reason, &line);
  std::string text = path + ": ";
  if (line > 0) text += "line " + std::to_string(line) + ": ";
  return text + reason;
}

}  // namespace

bool ReadParameterFile(const std::string& path, FileValues* values, std::string* failure) {
  FileValues read{};
  if (FileToArray(path.c_str(), read.data(), UI_DATA_U32, protocol::kFrameWords, 1, 0, 0,
                  UI_FILE_ASCII) < 0) {
    *failure = ArrayFileFailure(path);
    return false;
  }
  *values = read;
  return true;
}

std::string ParameterFileText(const protocol::Words& words) {
  FileValues values{};
  for (int i = 0; i < protocol::kFrameWords; ++i) values[i] = words[i];
  return ArrayFileText(values.data(), protocol::kFrameWords, kFieldWidth);
}

bool WriteParameterFile(const std::string& path, const protocol::Words& words,
                        std::string* failure) {
  FileValues values{};
  for (int i = 0; i < protocol::kFrameWords; ++i) values[i] = words[i];
  if (ArrayToFile(path.c_str(), values.data(), UI_DATA_U32, protocol::kFrameWords, 1, 0, 0, 0,
                  kFieldWidth, UI_FILE_ASCII, UI_FILE_TRUNCATE) < 0) {
    *failure = ArrayFileFailure(path);
    return false;
  }
  return true;
}

bool ReadBackupFile(const std::string& path, sets::Backup* backup, std::string* failure) {
  const QFileInfo info(QString::fromLocal8Bit(path.c_str()));
  // A pipe or a device is no backup, and reading one could wait for ever.
  if (!info.exists()) {
    *failure = path + ": no such file";
    return false;
  }
  if (!info.isFile() || info.size() > static_cast<qint64>(sets::kBackupFileMax)) {
    *failure = path + ": not a backup file";
    return false;
  }
  QFile file(info.filePath());
  if (!file.open(QIODevice::ReadOnly)) {
    *failure = path + ": " + file.errorString().toStdString();
    return false;
  }
  const QByteArray bytes = file.readAll();
  std::string error;
  if (!sets::ParseBackup(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                         backup, &error)) {
    *failure = path + ": " + error;
    return false;
  }
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& text, std::string* failure) {
  const std::string reason = WriteFileWhole(path, text);
  if (reason.empty()) return true;
  *failure = path + ": " + reason;
  return false;
}

}  // namespace cli
