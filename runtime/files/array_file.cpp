// Array files: unsigned 32-bit values as decimal text, one per line.
//
// Writing goes through WriteFileWhole, so the file on disk is replaced in one
// step, synced first: a failed write (disk full, vanished directory) leaves the
// old contents and says why. Reading
// checks the whole file before it touches the caller's array. Only regular
// files are read or replaced: opening a named pipe waits for a writer, and
// replacing a pipe or a device with a file would break what else uses it.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "runtime/array_text.h"
#include "runtime/file_write.h"
#include "runtime/utility.h"

namespace {

// Why the last array-file operation failed, for the operator's message.
std::string g_errorReason;
int g_errorLine = 0;

int Fail(int code, const std::string& reason, int line = 0) {
  g_errorReason = reason;
  g_errorLine = line;
  return code;
}

// The operator's message reads the reason in lower case ("permission denied",
// "no space left on device").
std::string LowerFirst(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

// The system's reason for a failed open or read. Qt's own text names the
// file too; the operator's message names it already.
std::string SystemReason(int savedErrno, const QFileDevice& file) {
  if (savedErrno != 0) return LowerFirst(std::strerror(savedErrno));
  switch (file.error()) {
    case QFileDevice::PermissionsError:
      return "permission denied";
    case QFileDevice::OpenError:
      return "cannot be opened";
    case QFileDevice::ReadError:
      return "read failed";
    default:
      return "input/output error";
  }
}

// The text a Windows editor puts before UTF-8 text; not part of the values.
const QByteArray kUtf8ByteOrderMark("\xEF\xBB\xBF");

#ifndef _WIN32
// Why a path that exists is not a file we read or replace; "" for a regular file.
std::string NotARegularFile(mode_t mode) {
  if (S_ISREG(mode)) return "";
  if (S_ISFIFO(mode)) return "a named pipe, not a file";
  if (S_ISDIR(mode)) return "a directory, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a file";
  if (S_ISSOCK(mode)) return "a socket, not a file";
  return "not a regular file";
}

// Opens `path` for reading without waiting on it: a named pipe would block
// the open until someone writes to it, so it is opened non-blocking and
// refused, like anything else that is not a regular file.
bool OpenRegularForReading(const char* path, QFile* file, std::string* reason) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *reason = SystemReason(errno, *file);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !NotARegularFile(info.st_mode).empty()) {
    *reason = NotARegularFile(info.st_mode);
    ::close(fd);
    return false;
  }
  if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    *reason = SystemReason(0, *file);
    ::close(fd);
    return false;
  }
  return true;
}
#else
bool OpenRegularForReading(const char* path, QFile* file, std::string* reason) {
  const QFileInfo info(QString::fromLocal8Bit(path));
  if (info.exists() && !info.isFile()) {
    *reason = info.isDir() ? "a directory, not a file" : "not a regular file";
    return false;
  }
  file->setFileName(info.filePath());
  errno = 0;
  if (!file->open(QIODevice::ReadOnly)) {
    *reason = SystemReason(errno, *file);
    return false;
  }
  return true;
}
#endif

bool SupportedForm(int dataType, int groups, int dataOrder, int layout, int fileType) {
  return dataType == UI_DATA_U32 && groups == 1 && dataOrder == 0 && layout == 0 &&
         fileType == UI_FILE_ASCII;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

enum class LineFault { None, Empty, NotANumber, TooLarge };

// One line to a value: blanks around it allowed, digits only, at most
// 4294967295.
LineFault ParseValue(const QByteArray& line, uint32_t* value) {
  int begin = 0, end = static_cast<int>(line.size());
  while (begin < end && IsBlank(line[begin])) ++begin;
  while (end > begin && IsBlank(line[end - 1])) --end;
  if (begin == end) return LineFault::Empty;
  uint64_t v = 0;
  for (int i = begin; i < end; ++i) {
    const char c = line[i];
    if (c < '0' || c > '9') return LineFault::NotANumber;
    v = v * 10 + static_cast<uint64_t>(c - '0');
    if (v > 0xFFFFFFFFull) return LineFault::TooLarge;
  }
  *value = static_cast<uint32_t>(v);
  return LineFault::None;
}

bool AllBlank(const QByteArray& line) {
  for (char c : line)
    if (!IsBlank(c)) return false;
  return true;
}

// Exactly `count` values, one per line. Blank lines may follow them, nothing
// else: a longer file is not one of ours, and taking its first values would
// load a set nobody wrote.
int ParseValues(const QByteArray& text, int count, std::vector<uint32_t>* out) {
  const QList<QByteArray> lines = text.split('\n');
  int lineNo = 0;
  for (const QByteArray& line : lines) {
    ++lineNo;
    if (static_cast<int>(out->size()) == count) {
      if (!AllBlank(line)) return Fail(UI_FILE_BAD_VALUE, "more values than expected", lineNo);
      continue;
    }
    uint32_t v = 0;
    switch (ParseValue(line, &v)) {
      case LineFault::None:
        out->push_back(v);
        break;
      case LineFault::Empty:
        // Only the end of the file may be empty.
        if (&line == &lines.back()) break;
        return Fail(UI_FILE_BAD_VALUE, "empty line", lineNo);
      case LineFault::NotANumber:
        return Fail(UI_FILE_BAD_VALUE, "not an unsigned decimal number", lineNo);
      case LineFault::TooLarge:
        return Fail(UI_FILE_BAD_VALUE, "above 4294967295", lineNo);
    }
  }
  if (static_cast<int>(out->size()) < count)
    return Fail(UI_FILE_TOO_SHORT, "value missing", static_cast<int>(out->size()) + 1);
  return 0;
}

}  // namespace

std::string ArrayFileText(const uint32_t* values, int count, int fieldWidth) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    // Right-aligned in the field; a wider value takes the room it needs.
    const std::string value = std::to_string(values[i]);
    if (static_cast<int>(value.size()) < fieldWidth)
      text.append(static_cast<size_t>(fieldWidth) - value.size(), ' ');
    text += value + '\n';
  }
  return text;
}

int ArrayToFile(const char* fileName, const void* array, int dataType, int count, int groups,
                int dataOrder, int layout, int columnSeparation, int fieldWidth, int fileType,
                int fileAction) {
  if (!SupportedForm(dataType, groups, dataOrder, layout, fileType) || columnSeparation != 0 ||
      fileAction != UI_FILE_TRUNCATE || array == nullptr || count <= 0 || fieldWidth < 0 ||
      fieldWidth > 64)
    return Fail(UI_FILE_BAD_FORM, "unsupported file form");
  if (fileName == nullptr || fileName[0] == '\0') return Fail(UI_FILE_IO_ERROR, "no file name");

  std::vector<uint32_t> values(static_cast<size_t>(count));
  std::memcpy(values.data(), array, values.size() * sizeof(uint32_t));
  std::string reason = WriteFileWhole(fileName, ArrayFileText(values.data(), count, fieldWidth));
  if (reason.empty()) return Fail(0, "");
  return Fail(UI_FILE_IO_ERROR, LowerFirst(std::move(reason)));
}

int FileToArray(const char* fileName, void* array, int dataType, int count, int groups,
                int dataOrder, int layout, int fileType) {
  if (!SupportedForm(dataType, groups, dataOrder, layout, fileType) || array == nullptr ||
      count <= 0)
    return Fail(UI_FILE_BAD_FORM, "unsupported file form");
  if (fileName == nullptr || fileName[0] == '\0') return Fail(UI_FILE_IO_ERROR, "no file name");
  QFile file;
  std::string refused;
  if (!OpenRegularForReading(fileName, &file, &refused)) return Fail(UI_FILE_IO_ERROR, refused);
  // A file of these values is small; reading at most a little more than the
  // longest sensible one keeps a huge file from filling the memory, and its
  // extra content is refused like any other.
  const qint64 limit = static_cast<qint64>(count) * 64 + 4096;
  errno = 0;
  QByteArray text = file.read(limit + 1);
  if (file.error() != QFileDevice::NoError)
    return Fail(UI_FILE_IO_ERROR, SystemReason(errno, file));
  if (text.size() > limit) return Fail(UI_FILE_BAD_VALUE, "file too long", 0);
  if (text.startsWith(kUtf8ByteOrderMark)) text.remove(0, kUtf8ByteOrderMark.size());

  std::vector<uint32_t> values;
  values.reserve(static_cast<size_t>(count));
  const int result = ParseValues(text, count, &values);
  if (result < 0) return result;
  std::memcpy(array, values.data(), values.size() * sizeof(uint32_t));
  return Fail(0, "");
}

int GetFileErrorInfo(char* reason, size_t reasonSize, int* line) {
  if (line != nullptr) *line = g_errorLine;
  if (reason != nullptr && reasonSize > 0) {
    const size_t n = std::min(reasonSize - 1, g_errorReason.size());
    std::memcpy(reason, g_errorReason.data(), n);
    reason[n] = '\0';
  }
  return g_errorReason.empty() ? 0 : -1;
}
