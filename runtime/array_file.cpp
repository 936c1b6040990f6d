// Array files: unsigned 32-bit values as decimal text, one per line.
//
// Writing goes through QSaveFile, so the file on disk is replaced in one step:
// a failed write (disk full, vanished directory) leaves the old contents. Reading
// checks the whole file before it touches the caller's array.
#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/utility.h"

namespace {

bool SupportedForm(int dataType, int groups, int dataOrder, int layout, int fileType) {
  return dataType == UI_DATA_U32 && groups == 1 && dataOrder == 0 && layout == 0 &&
         fileType == UI_FILE_ASCII;
}

QByteArray FormatValues(const uint32_t* values, int count, int fieldWidth) {
  QByteArray text;
  for (int i = 0; i < count; ++i) {
    // Right-aligned in the field; a wider value takes the room it needs.
    text += QByteArray::number(values[i]).rightJustified(fieldWidth, ' ');
    text += '\n';
  }
  return text;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// One line to a value: blanks around it allowed, digits only, at most
// 4294967295.
bool ParseValue(const QByteArray& line, uint32_t* value) {
  int begin = 0, end = static_cast<int>(line.size());
  while (begin < end && IsBlank(line[begin])) ++begin;
  while (end > begin && IsBlank(line[end - 1])) --end;
  if (begin == end) return false;
  uint64_t v = 0;
  for (int i = begin; i < end; ++i) {
    const char c = line[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
    if (v > 0xFFFFFFFFull) return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

int ParseValues(const QByteArray& text, int count, std::vector<uint32_t>* out) {
  const QList<QByteArray> lines = text.split('\n');
  for (const QByteArray& line : lines) {
    if (static_cast<int>(out->size()) == count) break;
    uint32_t v = 0;
    if (!ParseValue(line, &v)) {
      // Only the end of the file may be empty; anything else is not a number.
      bool restBlank = true;
      for (char c : line) restBlank = restBlank && IsBlank(c);
      if (restBlank && &line == &lines.back()) break;
      return UI_FILE_BAD_VALUE;
    }
    out->push_back(v);
  }
  return static_cast<int>(out->size()) < count ? UI_FILE_TOO_SHORT : 0;
}

}  // namespace

int ArrayToFile(const char* fileName, const void* array, int dataType, int count, int groups,
                int dataOrder, int layout, int columnSeparation, int fieldWidth, int fileType,
                int fileAction) {
  if (!SupportedForm(dataType, groups, dataOrder, layout, fileType) || columnSeparation != 0 ||
      fileAction != UI_FILE_TRUNCATE || array == nullptr || count <= 0 || fieldWidth < 0 ||
      fieldWidth > 64)
    return UI_FILE_BAD_FORM;
  if (fileName == nullptr || fileName[0] == '\0') return UI_FILE_IO_ERROR;

  std::vector<uint32_t> values(static_cast<size_t>(count));
  std::memcpy(values.data(), array, values.size() * sizeof(uint32_t));
  const QByteArray text = FormatValues(values.data(), count, fieldWidth);

  QSaveFile file(QString::fromLocal8Bit(fileName));
  if (!file.open(QIODevice::WriteOnly)) return UI_FILE_IO_ERROR;
  // Flush before committing and check it: commit() itself does not notice a
  // buffered write that the disk refused only in part (a full disk, a size
  // limit), and would put the cut file in place of the old one.
  if (file.write(text) != text.size() || !file.flush()) {
    file.cancelWriting();
    return UI_FILE_IO_ERROR;
  }
  return file.commit() ? 0 : UI_FILE_IO_ERROR;
}

int FileToArray(const char* fileName, void* array, int dataType, int count, int groups,
                int dataOrder, int layout, int fileType) {
  if (!SupportedForm(dataType, groups, dataOrder, layout, fileType) || array == nullptr ||
      count <= 0)
    return UI_FILE_BAD_FORM;
  if (fileName == nullptr || fileName[0] == '\0') return UI_FILE_IO_ERROR;
  QFile file(QString::fromLocal8Bit(fileName));
  if (!file.open(QIODevice::ReadOnly)) return UI_FILE_IO_ERROR;
  // A parameter file is a few hundred bytes; anything huge is not one.
  const QByteArray text = file.read(16 * 1024 * 1024);
  if (file.error() != QFileDevice::NoError) return UI_FILE_IO_ERROR;

  std::vector<uint32_t> values;
  values.reserve(static_cast<size_t>(count));
  const int result = ParseValues(text, count, &values);
  if (result < 0) return result;
  std::memcpy(array, values.data(), values.size() * sizeof(uint32_t));
  return 0;
}
