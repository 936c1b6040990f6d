// Serves the sensor model over a file descriptor (the master side of a pty):
// reads and frames requests, lets the model answer, and writes the replies as
// the reply shaper schedules them (line pacing, faults). One thread runs
// Run(); every other member may be called from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "sim/config.h"
#include "sim/protocol.h"
#include "sim/reply_shaper.h"
#include "sim/request_framer.h"
#include "sim/sensor_model.h"

namespace sim {

// One complete request as the sensor received it.
struct Request {
  int order = 0;
  Words words{};
  double received = 0;  // when its last byte was read, on MonotonicNow()'s clock
};

using TextSink = std::function<void(const std::string&)>;

class Server {
 public:
  // Loads the EEPROM file when the config names one (a missing or corrupt
  // file gives the default set, reported to `diagnostics`). `log` receives
  // the request log lines when config.log is on. Null sinks write to stdout
  // (log) and stderr (diagnostics).
  explicit Server(const Config& config, TextSink log = nullptr, TextSink diagnostics = nullptr);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Hands over the descriptors to serve: the pty master (made non-blocking)
  // and the slave kept open by the simulator (-1 if none). The server closes
  // both when it hangs up or is destroyed. Call before Run().
  void Attach(int master_fd, int keeper_fd);
  // Closes the descriptors (the device vanishes). Not while Run() runs.
  void Detach();

  enum class End { kStopped, kHungUp, kFailed };
  // Serves until Stop() or until the hang-up fault closes the line. kFailed:
  // the descriptor failed (see LastError()).
  End Run();
  // Ends Run() soon. Safe in a signal handler (an atomic store and a write).
  void Stop();

  void Update(const std::function<void(Config&)>& change);
  Config GetConfig() const;

  std::vector<Request> Requests() const;
  void ClearRequests();
  bool WaitForRequests(size_t count, double seconds) const;

  Words Ram() const;
  Words Eeprom() const;
  void SetRam(const Words& words);
  void SetEeprom(const Words& words);
  // Runs `inspect` on the model under the server's lock (tests look at the
  // scene, the background and the teach kind).
  void WithModel(const std::function<void(const SensorModel&)>& inspect) const;

  bool HungUp() const { return hung_up_.load(); }
  // Bytes read that belonged to no request (the framer skipped them).
  size_t DiscardedBytes() const { return discarded_.load(); }
  // True while replies (or parts of them) wait to be written.
  bool Sending() const { return sending_.load(); }
  std::string LastError() const;

 private:
  void ReadRequests(double now);
  void Handle(const FramedRequest& framed, double now);
  // The replay's answer to a request (under the lock); reports an order the
  // trace cannot answer to the diagnostics.
  void Replay(int order, double now, std::vector<OutputChunk>* chunks);
  Words Stored(const FramedRequest& framed) const;
  // Writes what is due; returns false when the line was hung up.
  bool WriteDue(double now);
  void HangUp();
  double NextWake(double now) const;

  mutable std::mutex mutex_;
  mutable std::condition_variable requests_changed_;
  Config config_;
  SensorModel model_;
  ReplyShaper shaper_;
  std::vector<Request> requests_;
  uint64_t requests_total_ = 0;
  TextSink log_;
  TextSink diagnostics_;
  std::string last_error_;
  std::map<int, size_t> replay_used_;  // per order: recorded answers already sent
  double start_time_ = 0;

  // Touched by the serving thread only.
  RequestFramer framer_;
  std::deque<OutputChunk> pending_;
  double rx_line_free_ = 0;
  double hangup_since_ = -1;
  bool write_blocked_ = false;

  int master_ = -1;
  int keeper_ = -1;
  int wake_read_ = -1;
  int wake_write_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<bool> hung_up_{false};
  std::atomic<size_t> discarded_{0};
  std::atomic<bool> sending_{false};
};

}  // namespace sim
