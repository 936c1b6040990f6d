#include "monitor/qt/trace_files.h"

#include <QFile>
#include <QFileInfo>

#include "monitor/frame_decode.h"
#include "monitor/trace_file.h"
#include "runtime/file_write.h"

QString SaveTraceFile(const QString& path, const std::deque<monitor::LineEntry>& entries) {
  std::string text = monitor::TraceHeader();
  for (const monitor::LineEntry& entry : entries)
    text += monitor::TraceLine(entry, monitor::DescribeEntry(entry));
  // The file at `path` keeps what it held unless the new one is whole on the disk.
  return QString::fromLocal8Bit(WriteFileWhole(path.toLocal8Bit().toStdString(), text).c_str());
}

namespace {
// Far more than the 10,000 entries a monitor saves (about 3 MB): a larger file
// is no trace of ours, and reading it whole would only stall the program.
constexpr qint64 kLargestTrace = 64 * 1024 * 1024;
}  // namespace

LoadedTrace LoadTraceFile(const QString& path) {
  LoadedTrace loaded;
  // Opening a named pipe would wait for a writer, and a device may never end.
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) {
    loaded.error = "not a file";
    return loaded;
  }
  if (info.size() > kLargestTrace) {
    loaded.error = "too large for a trace file";
    return loaded;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    loaded.error = file.errorString();
    return loaded;
  }
  const QByteArray bytes = file.readAll();
  const monitor::TraceReadResult result =
      monitor::ReadTrace(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  if (!result.ok) {
    loaded.error =
        QString("line %1: %2").arg(result.errorLine).arg(QString::fromStdString(result.error));
    return loaded;
  }
  loaded.entries = result.entries;
  return loaded;
}
