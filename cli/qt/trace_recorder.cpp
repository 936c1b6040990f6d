#include "cli/qt/trace_recorder.h"

#include "monitor/frame_decode.h"
#include "monitor/line_log.h"
#include "monitor/tap_feed.h"
#include "monitor/trace_file.h"
#include "runtime/file_write.h"
#include "runtime/serial_tap.h"
#include "runtime/utility.h"

namespace cli {

struct TraceRecorder::State {
  // Entries go to the file as they are appended; the log keeps only a few.
  monitor::LineLog log{16};
  RecordFile file;
  std::string path;
  std::string stopped;  // why the file was closed early
  bool running = false;
};

namespace {

void OnTap(const SerialTapRecord& record, void* context) {
  monitor::FeedLineLog(*static_cast<monitor::LineLog*>(context), record);
}

}  // namespace

TraceRecorder::TraceRecorder() : state_(std::make_unique<State>()) {}

TraceRecorder::~TraceRecorder() {
  Stop();
}

bool TraceRecorder::Start(const std::string& path, std::string* failure) {
  State& s = *state_;
  if (const std::string reason = s.file.Create(path); !reason.empty()) {
    *failure = path + ": " + reason;
    return false;
  }
  s.path = path;
  if (const std::string reason = s.file.Append(monitor::TraceHeader()); !reason.empty()) {
    *failure = path + ": " + reason;
    return false;
  }
  s.log.SetListener([&s](const monitor::LineEntry& entry) {
    if (!s.file.IsOpen()) return;
    const std::string reason =
        s.file.Append(monitor::TraceLine(entry, monitor::DescribeEntry(entry)));
    if (!reason.empty()) s.stopped = s.path + ": trace stopped: " + reason;
  });
  SetSerialTap(OnTap, &s.log);
  s.running = true;
  return true;
}

std::string TraceRecorder::Stop() {
  State& s = *state_;
  if (!s.running) return s.stopped;
  s.running = false;
  s.log.Tick(Timer());
  SetSerialTap(nullptr, nullptr);
  if (const std::string reason = s.file.Close(); !reason.empty() && s.stopped.empty())
    s.stopped = s.path + ": " + reason;
  return s.stopped;
}

}  // namespace cli
