#include "sim/server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "sim/clock.h"
#include "sim/eeprom_file.h"
#include "sim/parameters.h"

namespace sim {
namespace {

// How long a hang-up waits for the PC to read the last reply: the kernel
// discards unread input of a tty that is hung up. Bytes written to the master
// reach the slave's input queue a little later (a kernel worker moves them),
// so an empty queue only counts once the bytes have had time to get there.
constexpr double kHangUpDrainLimit = 1.0;
constexpr double kHangUpSettle = 0.100;

void CloseFd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

Words InitialEeprom(const Config& config, const TextSink& diagnostics) {
  Words eeprom = DefaultParameters(config.ccd_type);
  if (config.eeprom_path.empty()) return eeprom;
  std::string message;
  if (LoadEepromFile(config.eeprom_path, &eeprom, &message) != EepromLoad::kLoaded) {
    diagnostics("vantrel-sim: " + message);
  }
  return eeprom;
}

TextSink OrStream(TextSink sink, FILE* stream) {
  if (sink) return sink;
  return [stream](const std::string& text) {
    std::fprintf(stream, "%s\n", text.c_str());
    std::fflush(stream);
  };
}

}  // namespace

Server::Server(const Config& config, TextSink log, TextSink diagnostics)
    : config_(config),
      model_(ModelPart(config), InitialEeprom(config, OrStream(diagnostics, stderr))),
      shaper_(config.seed),
      log_(OrStream(std::move(log), stdout)),
      diagnostics_(OrStream(std::move(diagnostics), stderr)),
      start_time_(MonotonicNow()) {
  shaper_.SetSwitches(config_.paced, config_.faults);
  model_.OnEepromWrite([this](const Words& words) {
    // Runs inside Handle(), under the lock.
    if (config_.eeprom_path.empty()) return;
    std::string error;
    if (!SaveEepromFile(config_.eeprom_path, words, &error)) diagnostics_("vantrel-sim: " + error);
  });
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_read_ = fds[0];
    wake_write_ = fds[1];
  }
}

Server::~Server() {
  CloseFd(&master_);
  CloseFd(&keeper_);
  CloseFd(&wake_read_);
  CloseFd(&wake_write_);
}

void Server::Attach(int master_fd, int keeper_fd) {
  master_ = master_fd;
  keeper_ = keeper_fd;
  if (master_ >= 0) fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

void Server::Detach() {
  CloseFd(&master_);
  CloseFd(&keeper_);
  pending_.clear();
}

void Server::Stop() {
  stop_.store(true);
  if (wake_write_ >= 0) {
    const char c = 's';
    [[maybe_unused]] ssize_t n = write(wake_write_, &c, 1);
  }
}

void Server::Update(const std::function<void(Config&)>& change) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto replay = config_.replay;
    change(config_);
    if (config_.replay != replay) replay_used_.clear();  // another trace starts from its beginning
    model_.SetConfig(ModelPart(config_));
    shaper_.SetSwitches(config_.paced, config_.faults);
  }
  // Wake the serving thread: a new switch may change what is due when.
  if (wake_write_ >= 0) {
    const char c = 'u';
    [[maybe_unused]] ssize_t n = write(wake_write_, &c, 1);
  }
}

Config Server::GetConfig() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return config_;
}

std::vector<Request> Server::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void Server::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

bool Server::WaitForRequests(size_t count, double seconds) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return requests_changed_.wait_for(lock, std::chrono::duration<double>(seconds),
                                    [&] { return requests_.size() >= count; });
}

Words Server::Ram() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return model_.Ram();
}

Words Server::Eeprom() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return model_.Eeprom();
}

void Server::SetRam(const Words& words) {
  std::lock_guard<std::mutex> lock(mutex_);
  model_.SetRam(words);
}

void Server::SetEeprom(const Words& words) {
  std::lock_guard<std::mutex> lock(mutex_);
  model_.SetEeprom(words);
}

void Server::WithModel(const std::function<void(const SensorModel&)>& inspect) const {
  std::lock_guard<std::mutex> lock(mutex_);
  inspect(model_);
}

std::string Server::LastError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_error_;
}

Server::End Server::Run() {
  if (master_ < 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    last_error_ = "no line attached";
    return End::kFailed;
  }
#if defined(__linux__)
  // A paced byte leaves when its time has come; the kernel's default slack
  // lets the wake-up for it drift by up to 50 us, which the last byte of
  // every reply adds to the exchange.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
  while (!stop_.load()) {
    if (!WriteDue(MonotonicNow())) return End::kHungUp;

    pollfd fds[2] = {{master_, POLLIN, 0}, {wake_read_, POLLIN, 0}};
    if (write_blocked_) fds[0].events |= POLLOUT;
    const double now = MonotonicNow();
    const double wake = NextWake(now);
    timespec timeout{};
    timespec* timeout_ptr = nullptr;
    if (wake >= 0) {
      // Round up: a byte must never leave before its time.
      const double wait = std::max(0.0, wake - now);
      timeout.tv_sec = static_cast<time_t>(wait);
      timeout.tv_nsec =
          static_cast<long>(std::ceil((wait - static_cast<double>(timeout.tv_sec)) * 1e9));
      if (timeout.tv_nsec >= 1000000000L) {
        timeout.tv_sec += 1;
        timeout.tv_nsec -= 1000000000L;
      }
      timeout_ptr = &timeout;
    }
    const int ready = ppoll(fds, 2, timeout_ptr, nullptr);
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      last_error_ = std::string("poll: ") + std::strerror(errno);
      return End::kFailed;
    }
    if (fds[1].revents & POLLIN) {
      char drain[64];
      while (read(wake_read_, drain, sizeof drain) > 0) {
      }
    }
    if (fds[0].revents & POLLOUT) write_blocked_ = false;
    if (fds[0].revents & (POLLERR | POLLNVAL)) {
      std::lock_guard<std::mutex> lock(mutex_);
      last_error_ = "the line failed";
      return End::kFailed;
    }
    if (fds[0].revents & POLLIN) {
      ReadRequests(MonotonicNow());
    } else if (fds[0].revents & POLLHUP) {
      // No slave side open (only possible without a kept slave): nothing can
      // arrive; wait for a stop instead of spinning on the hang-up.
      pollfd wake{wake_read_, POLLIN, 0};
      poll(&wake, 1, 10);
    }
  }
  return End::kStopped;
}

double Server::NextWake(double now) const {
  if (pending_.empty()) return -1;
  const OutputChunk& front = pending_.front();
  if (front.hang_up && hangup_since_ >= 0) return now + 0.001;  // draining before the hang-up
  if (write_blocked_ && !front.hang_up) return -1;              // POLLOUT wakes us
  return front.due;
}

void Server::ReadRequests(double now) {
  uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return;  // EAGAIN: all read; EIO: no slave open (never while we keep one)
    const bool paced = [&] {
      std::lock_guard<std::mutex> lock(mutex_);
      return config_.paced;
    }();
    // Each byte is complete on the line 10 bit times after the line was free
    // for it; unpaced it counts as complete when read.
    std::vector<double> times(static_cast<size_t>(n));
    for (auto& t : times) {
      if (paced) {
        rx_line_free_ = std::max(rx_line_free_, now) + kByteTime;
        t = rx_line_free_;
      } else {
        t = now;
      }
    }
    std::vector<FramedRequest> framed;
    framer_.Feed(buffer, times.data(), static_cast<size_t>(n), &framed);
    for (const auto& request : framed) Handle(request, now);
    // After the requests read with them are handled and their replies queued.
    discarded_.store(framer_.DiscardedBytes());
    // A short read took all there was; more wakes the next poll. This saves
    // a read that would only say so, once per request.
    if (static_cast<size_t>(n) < sizeof buffer) return;
  }
}

void Server::Handle(const FramedRequest& framed, double now) {
  std::vector<OutputChunk> chunks;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Request request;
    request.order = framed.order;
    request.words = framed.words;
    request.received = now;
    requests_.push_back(request);
    ++requests_total_;
    requests_changed_.notify_all();

    if (config_.log) {
      char line[256];
      int used = std::snprintf(line, sizeof line, "%10.6f %-13s", now - start_time_,
                               OrderName(framed.order));
      for (uint16_t w : framed.words) {
        used += std::snprintf(line + used, sizeof line - static_cast<size_t>(used), " %u", w);
      }
      std::string text = line;
      if (framed.skipped > 0)
        text += "  (after " + std::to_string(framed.skipped) + " stray bytes)";
      log_(text);
    }
    if (config_.replay) {
      Replay(framed.order, now, &chunks);
    } else {
      const std::vector<uint8_t> reply = model_.Handle(framed.order, Stored(framed));
      shaper_.Shape(reply, framed.last_byte, now, &chunks);
    }
  }
  pending_.insert(pending_.end(), chunks.begin(), chunks.end());
  sending_.store(!pending_.empty());
}

// The words a request leaves in the sensor: as sent, but for a write under the
// store fault, with one word changed.
Words Server::Stored(const FramedRequest& framed) const {
  Words words = framed.words;
  const int changed = config_.faults.store_changed_word;
  const bool write = framed.order == kOrderWriteRam || framed.order == kOrderWriteEeprom;
  if (write && changed >= 0 && changed < static_cast<int>(words.size()))
    words[static_cast<size_t>(changed)] =
        static_cast<uint16_t>(words[static_cast<size_t>(changed)] + 1);
  return words;
}

void Server::Replay(int order, double now, std::vector<OutputChunk>* chunks) {
  const std::vector<ReplayAnswer>& answers = config_.replay->Answers(order);
  size_t& used = replay_used_[order];
  if (used >= answers.size()) {
    diagnostics_("vantrel-sim: replay: no answer left for order " + std::to_string(order) + " (" +
                 OrderName(order) + "), " + std::to_string(answers.size()) +
                 " recorded in the trace");
    return;
  }
  const ReplayAnswer& answer = answers[used++];
  // The field measured the response time from the moment the request had
  // left the PC, which is when it is read here (the pty carries it at once).
  shaper_.Replay(answer.bytes, now + answer.delay, chunks);
}

bool Server::WriteDue(double now) {
  sending_.store(!pending_.empty());
  while (!pending_.empty()) {
    OutputChunk& front = pending_.front();
    if (front.due > now) return true;
    if (front.hang_up) {
      // Let the PC read the last reply first: a hang-up discards unread input.
      if (hangup_since_ < 0) hangup_since_ = now;
      int unread = 0;
      if (keeper_ >= 0 && ioctl(keeper_, FIONREAD, &unread) != 0) unread = 0;
      const bool settled = now - hangup_since_ >= kHangUpSettle && unread == 0;
      if (settled || now - hangup_since_ >= kHangUpDrainLimit) {
        HangUp();
        return false;
      }
      return true;
    }
    if (write_blocked_) return true;
    // Everything due goes out in one write.
    std::vector<uint8_t> bytes;
    for (const auto& chunk : pending_) {
      if (chunk.hang_up || chunk.due > now) break;
      bytes.insert(bytes.end(), chunk.bytes.begin(), chunk.bytes.end());
    }
    const ssize_t n = write(master_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) write_blocked_ = errno == EAGAIN;
      return true;
    }
    // Drop what was written; a partial write leaves the rest at the front.
    size_t written = static_cast<size_t>(n);
    while (written > 0 && !pending_.empty()) {
      OutputChunk& chunk = pending_.front();
      const size_t take = std::min(written, chunk.bytes.size());
      chunk.bytes.erase(chunk.bytes.begin(),
                        chunk.bytes.begin() + static_cast<std::ptrdiff_t>(take));
      written -= take;
      if (chunk.bytes.empty()) pending_.pop_front();
    }
    sending_.store(!pending_.empty());
    if (static_cast<size_t>(n) < bytes.size()) {
      write_blocked_ = true;
      return true;
    }
  }
  return true;
}

void Server::HangUp() {
  // Marked first, so that whoever sees the line drop also sees HungUp().
  hung_up_.store(true);
  CloseFd(&master_);
  CloseFd(&keeper_);
  pending_.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  diagnostics_("vantrel-sim: hung up the line (" + std::to_string(requests_total_) +
               " requests received)");
}

}  // namespace sim
