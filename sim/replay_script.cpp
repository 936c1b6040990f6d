#include "sim/replay_script.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "monitor/trace_file.h"

namespace sim {

using monitor::EntryKind;

ReplayScript::ReplayScript(const std::vector<monitor::LineEntry>& entries) {
  ReplayAnswer* answer = nullptr;  // the answer being gathered
  double request_ms = 0;
  bool heard = false;  // a byte of this answer has come
  for (const monitor::LineEntry& entry : entries) {
    switch (entry.kind) {
      case EntryKind::kRequest:
        answer = &answers_[entry.order].emplace_back();
        request_ms = entry.timeMs;
        heard = false;
        ++requests_;
        break;
      case EntryKind::kReply:
      case EntryKind::kInputFlushed:
        if (answer == nullptr || entry.bytes.empty()) break;
        if (!heard) answer->delay = std::max(0.0, entry.timeMs - request_ms) / 1000.0;
        heard = true;
        answer->bytes.insert(answer->bytes.end(), entry.bytes.begin(), entry.bytes.end());
        break;
      case EntryKind::kOpened:
      case EntryKind::kClosed:
      case EntryKind::kLost:
        // What comes after the port's end belongs to no request before it
        // (and times count afresh from an opening).
        answer = nullptr;
        break;
      default:
        break;
    }
  }
}

const std::vector<ReplayAnswer>& ReplayScript::Answers(int order) const {
  static const std::vector<ReplayAnswer> kNone;
  auto it = answers_.find(order);
  return it == answers_.end() ? kNone : it->second;
}

namespace {

// What `path` is when it is no trace file to read: opening a named pipe would
// wait for a writer, a folder or a device holds no trace. "" for a regular
// file (or a path that does not exist: opening it says so).
std::string NotAFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  switch (status.type()) {
    case std::filesystem::file_type::directory:
      return "it is a folder, not a trace file";
    case std::filesystem::file_type::fifo:
      return "it is a named pipe, not a trace file";
    case std::filesystem::file_type::character:
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::socket:
      return "it is a device or socket, not a trace file";
    default:
      return {};
  }
}

}  // namespace

bool LoadReplayScript(const std::string& path, std::shared_ptr<const ReplayScript>* script,
                      std::string* error) {
  const std::string notAFile = NotAFile(path);
  if (!notAFile.empty()) {
    *error = "cannot read " + path + ": " + notAFile;
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  if (file) text << file.rdbuf();
  if (!file || file.bad()) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  const monitor::TraceReadResult trace = monitor::ReadTrace(text.str());
  if (!trace.ok) {
    *error = path + ": line " + std::to_string(trace.errorLine) + ": " + trace.error;
    return false;
  }
  *script = std::make_shared<const ReplayScript>(trace.entries);
  return true;
}

}  // namespace sim
