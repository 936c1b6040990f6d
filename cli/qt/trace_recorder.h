// --trace FILE: the line recorded as the desktop program's --trace records it,
// from the engine's serial tap through the line monitor's log into a trace
// file, each entry written as it happens, so that a crash or a kill loses
// nothing. One recorder in a process.
#pragma once

#include <memory>
#include <string>

namespace cli {

class TraceRecorder {
 public:
  TraceRecorder();
  ~TraceRecorder();  // stops
  TraceRecorder(const TraceRecorder&) = delete;
  TraceRecorder& operator=(const TraceRecorder&) = delete;

  // Creates `path` and starts recording; false with "FILE: reason".
  bool Start(const std::string& path, std::string* failure);
  // Gives the entries now due (a reply's time-out), stops and closes. Returns
  // "" or the line of the failure that stopped the trace early ("FILE: trace
  // stopped: No space left on device").
  std::string Stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace cli
