#include "monitor/qt/trace_files.h"

#include <QFile>
#include <QSaveFile>

#include "monitor/frame_decode.h"
#include "monitor/trace_file.h"

QString SaveTraceFile(const QString& path, const std::deque<monitor::LineEntry>& entries) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  std::string text = monitor::TraceHeader();
  for (const monitor::LineEntry& entry : entries)
    text += monitor::TraceLine(entry, monitor::DescribeEntry(entry));
  file.write(text.data(), static_cast<qint64>(text.size()));
  // Until commit the file at `path` is untouched; a failed write leaves it so.
  if (!file.commit()) return file.errorString();
  return QString();
}

LoadedTrace LoadTraceFile(const QString& path) {
  LoadedTrace loaded;
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
