#include "publish/mosquitto/mqtt_publisher.h"

#include <mosquitto.h>
#include <netdb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

#include "publish/reconnect_backoff.h"

namespace publish {
namespace {

// The retained topics go with QoS 1 whatever the measurements' QoS: a
// status or an identity that never arrives would stand wrong for good.
constexpr int kRetainedQos = 1;
// Seconds between two status messages that only carry a new dropped count.
constexpr double kStatusEverySeconds = 1.0;
// Seconds the thread has to end once asked, before it is left behind.
constexpr double kThreadEndSeconds = 3.0;
// Where mqtts:// finds the CA certificates when no CA file is given.
constexpr const char* kSystemCaPath = "/etc/ssl/certs";
// The status a publisher leaves when it disappears: the broker publishes it.
constexpr int kAcknowledged = -2;  // offlineMid_ once the final status was acknowledged

std::string ErrorText(int code, int savedErrno) {
  if (code == MOSQ_ERR_ERRNO) return std::strerror(savedErrno);
  if (code == MOSQ_ERR_EAI) return gai_strerror(savedErrno);
  std::string text = mosquitto_strerror(code);  // "The connection was lost."
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// A CONNACK's refusal in the operator's words.
std::string RefusalText(int code) {
  switch (code) {
    case 1:
      return "it does not speak MQTT 3.1.1";
    case 2:
      return "the client id is not accepted";
    case 3:
      return "the broker is unavailable";
    case 4:
      return "bad user name or password";
    case 5:
      return "not authorised (user name or password wrong, or the user may not connect)";
  }
  return "code " + std::to_string(code);
}

// CONNACK codes that no second attempt mends: the client id refused, the
// user name or password wrong, not authorised.
bool RefusalIsFinal(int code) {
  return code == 2 || code == 4 || code == 5;
}

}  // namespace

MqttPublisher::MqttPublisher(PublisherSettings settings, Report report)
    : settings_(std::move(settings)),
      topics_(TopicsUnder(settings_.broker.prefix)),
      label_("broker " + BrokerLabel(settings_.broker)),
      report_(std::move(report)) {}

MqttPublisher::~MqttPublisher() {
  Finish(0.0);
}

double MqttPublisher::Now() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool MqttPublisher::Start(std::string* error) {
  // A broker that closes the socket shows as EPIPE on the next write, never
  // as a signal that ends the process.
  std::signal(SIGPIPE, SIG_IGN);
  mosquitto_lib_init();
  mosq_ = mosquitto_new(settings_.clientId.c_str(), true, this);
  if (mosq_ == nullptr) {
    *error = label_ + ": libmosquitto cannot start: " + std::strerror(errno);
    return false;
  }
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  // Calls from the Run's thread only queue; this publisher's thread writes.
  mosquitto_threaded_set(mosq_, true);
  // The frames in flight and the few retained messages: libmosquitto never
  // holds a queue of its own beyond these.
  mosquitto_max_inflight_messages_set(mosq_, kInFlight + 4);
  const std::string offline = StatusPayload(SensorState::kOffline, 0);
  mosquitto_will_set(mosq_, topics_.status.c_str(), static_cast<int>(offline.size()),
                     offline.data(), kRetainedQos, true);
  if (!settings_.username.empty()) {
    mosquitto_username_pw_set(mosq_, settings_.username.c_str(),
                              settings_.password.empty() ? nullptr : settings_.password.c_str());
  }
  if (settings_.broker.tls) {
    const bool own = !settings_.cafile.empty();
    const int code = mosquitto_tls_set(mosq_, own ? settings_.cafile.c_str() : nullptr,
                                       own ? nullptr : kSystemCaPath, nullptr, nullptr, nullptr);
    if (code != MOSQ_ERR_SUCCESS) {
      *error = label_ + ": " +
               (own ? "the CA file " + settings_.cafile : std::string("the system's CA path")) +
               " cannot be used: " + mosquitto_strerror(code);
      return false;
    }
  }
  mosquitto_connect_callback_set(mosq_, OnConnect);
  mosquitto_disconnect_callback_set(mosq_, OnDisconnect);
  mosquitto_publish_callback_set(mosq_, OnPublish);
  nextAttempt_ = Now();
  thread_ = std::thread(&MqttPublisher::Loop, this);
  return true;
}

int MqttPublisher::PublishLocked(const std::string& topic, const std::string& payload, int qos,
                                 bool retain) {
  int mid = -1;
  const int code = mosquitto_publish(mosq_, &mid, topic.c_str(), static_cast<int>(payload.size()),
                                     payload.data(), qos, retain);
  // With QoS 1 a message libmosquitto took is sent again after a reconnect,
  // even when the connection broke as it was handed over.
  const bool taken = code == MOSQ_ERR_SUCCESS ||
                     (qos > 0 && (code == MOSQ_ERR_NO_CONN || code == MOSQ_ERR_CONN_LOST));
  return taken ? mid : -1;
}

void MqttPublisher::PublishStatusLocked() {
  if (state_ == SensorState::kUnknown) return;
  statusDropped_ = queue_.Dropped() + lostInFlight_;
  statusAt_ = Now();
  const int mid =
      PublishLocked(topics_.status, StatusPayload(state_, statusDropped_), kRetainedQos, true);
  if (state_ == SensorState::kOffline) offlineMid_ = mid;
}

void MqttPublisher::PumpLocked() {
  while (static_cast<int>(framesInFlight_.size()) < kInFlight && !queue_.Empty()) {
    const int mid = PublishLocked(topics_.measurement, queue_.Front(), settings_.qos, false);
    if (mid < 0) return;  // the connection is going: the frame waits for the next one
    framesInFlight_.insert(mid);
    queue_.PopFront();
  }
}

void MqttPublisher::SetState(SensorState state) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (state_ == state || finished_) return;
  state_ = state;
  if (connected_) PublishStatusLocked();
}

void MqttPublisher::Retain(const std::string& topic, const std::string& payload) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [known, last] : retained_) {
    if (known != topic) continue;
    if (last == payload) return;
    last = payload;
    if (connected_) PublishLocked(topic, payload, kRetainedQos, true);
    return;
  }
  retained_.emplace_back(topic, payload);
  if (connected_) PublishLocked(topic, payload, kRetainedQos, true);
}

void MqttPublisher::Publish(std::string payload) {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.Push(std::move(payload));
  if (connected_) PumpLocked();
}

std::string MqttPublisher::Fatal() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fatal_;
}

MqttPublisher::Counts MqttPublisher::GetCounts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  Counts counts;
  counts.delivered = delivered_;
  counts.dropped = queue_.Dropped() + lostInFlight_;
  counts.waiting = queue_.Size() + framesInFlight_.size();
  counts.connected = connected_;
  return counts;
}

void MqttPublisher::OnConnect(struct mosquitto*, void* data, int code) {
  auto* self = static_cast<MqttPublisher*>(data);
  std::string line;
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    if (code != 0) {
      self->refusal_ = RefusalText(code);
      self->refusalFatal_ = RefusalIsFinal(code);
      return;
    }
    self->connected_ = true;
    self->accepted_ = true;
    self->failures_ = 0;
    if (!self->everConnected_) {
      line = self->label_ + ": connected";
    } else {
      char after[48];
      std::snprintf(after, sizeof after, " after %.1f s", self->Now() - self->outageStart_);
      line = self->label_ + ": connected again" + after + ", " +
             std::to_string(self->queue_.Size() + self->framesInFlight_.size()) + " frames to send";
    }
    self->everConnected_ = true;
    self->outageStart_ = -1.0;
    self->lastReason_.clear();
    // A broker without persistence forgot the retained topics: all again.
    self->PublishStatusLocked();
    for (const auto& [topic, payload] : self->retained_)
      self->PublishLocked(topic, payload, kRetainedQos, true);
    self->PumpLocked();
  }
  self->report_(line);
}

void MqttPublisher::OnDisconnect(struct mosquitto*, void* data, int) {
  auto* self = static_cast<MqttPublisher*>(data);
  std::lock_guard<std::mutex> lock(self->mutex_);
  self->connected_ = false;
  // QoS 0 frames still on their way went with the connection; QoS 1 frames
  // stay with libmosquitto and are sent again after the reconnect.
  if (self->settings_.qos == 0) {
    self->lostInFlight_ += self->framesInFlight_.size();
    self->framesInFlight_.clear();
  }
  self->changed_.notify_all();
}

void MqttPublisher::OnPublish(struct mosquitto*, void* data, int mid) {
  auto* self = static_cast<MqttPublisher*>(data);
  std::lock_guard<std::mutex> lock(self->mutex_);
  if (self->framesInFlight_.erase(mid) > 0) {
    ++self->delivered_;
    if (self->connected_) self->PumpLocked();
  } else if (mid == self->offlineMid_) {
    self->offlineMid_ = kAcknowledged;
  }
  self->changed_.notify_all();
}

void MqttPublisher::ConnectionFailed(const std::string& reason, bool fatalBeforeFirst) {
  std::string line;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    connected_ = false;
    if (stop_) return;
    if (fatalBeforeFirst && !everConnected_) {
      // Said once, by whoever ends the program on it.
      fatal_ = label_ + ": " + reason;
      changed_.notify_all();
      return;
    }
    ++failures_;
    static thread_local std::minstd_rand random(std::random_device{}());
    const double spread = std::uniform_real_distribution<double>(-1.0, 1.0)(random);
    nextAttempt_ = Now() + ReconnectDelay(failures_, spread);
    if (reason != lastReason_) {
      line = label_ + ": " + reason;
      if (outageStart_ < 0.0)
        line += "; trying again every few seconds, the frames wait in the queue";
    }
    if (outageStart_ < 0.0) outageStart_ = Now();
    lastReason_ = reason;
  }
  if (!line.empty()) report_(line);
}

void MqttPublisher::Loop() {
  bool socketOpen = false;
  double connectStarted = 0.0;
  for (;;) {
    if (!socketOpen) {
      std::unique_lock<std::mutex> lock(mutex_);
      if (stop_) break;
      const double wait = nextAttempt_ - Now();
      if (!fatal_.empty() || wait > 0.0) {
        changed_.wait_for(lock, std::chrono::duration<double>(fatal_.empty() ? wait : 1.0));
        continue;
      }
      refusal_.clear();
      refusalFatal_ = false;
      accepted_ = false;
    } else {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) break;
    }
    if (!socketOpen) {
      errno = 0;
      // Resolves the name here, on this thread: a slow name server delays
      // nobody else.
      const int code = mosquitto_connect_async(mosq_, settings_.broker.host.c_str(),
                                               settings_.broker.port, kKeepAliveSeconds);
      const int saved = errno;
      if (code != MOSQ_ERR_SUCCESS) {
        const bool unknown = code == MOSQ_ERR_EAI && saved == EAI_NONAME;
        ConnectionFailed(unknown ? "unknown host '" + settings_.broker.host + "'"
                                 : "cannot connect: " + ErrorText(code, saved),
                         unknown);
        continue;
      }
      socketOpen = true;
      connectStarted = Now();
    }
    errno = 0;
    const int code = mosquitto_loop(mosq_, 1000, 1);
    const int saved = errno;
    bool accepted = false;
    std::string refusal;
    bool refusalFatal = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      accepted = accepted_;
      refusal = refusal_;
      refusalFatal = refusalFatal_;
      if (code == MOSQ_ERR_SUCCESS && connected_ &&
          queue_.Dropped() + lostInFlight_ != statusDropped_ &&
          Now() - statusAt_ >= kStatusEverySeconds) {
        PublishStatusLocked();
      }
    }
    if (code == MOSQ_ERR_SUCCESS) {
      if (!accepted && Now() - connectStarted > kConnectSeconds) {
        socketOpen = false;
        ConnectionFailed("no answer to the connect within 10 s", false);
      }
      continue;
    }
    socketOpen = false;
    if (!refusal.empty()) {
      ConnectionFailed("refused the connection: " + refusal, refusalFatal);
    } else if (code == MOSQ_ERR_TLS) {
      ConnectionFailed("the TLS handshake failed (a certificate the CA file does not vouch for?)",
                       true);
    } else {
      ConnectionFailed(
          (accepted ? "connection lost: " : "cannot connect: ") + ErrorText(code, saved), false);
    }
  }
  // Asked to stop: the last status and the disconnect leave before the end.
  const double until = Now() + 1.0;
  while (socketOpen && mosquitto_socket(mosq_) >= 0 && Now() < until) {
    if (mosquitto_loop(mosq_, 100, 1) != MOSQ_ERR_SUCCESS) break;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  threadDone_ = true;
  changed_.notify_all();
}

bool MqttPublisher::Finish(double seconds) {
  bool leaveBehind = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (finished_) return true;
    finished_ = true;
    if (thread_.joinable()) {
      state_ = SensorState::kOffline;
      if (connected_) PublishStatusLocked();
      const size_t waiting = queue_.Size() + framesInFlight_.size();
      if (!connected_ && waiting > 0 && fatal_.empty() && seconds > 0.0) {
        char line[128];
        std::snprintf(line, sizeof line,
                      ": waiting up to %.0f s for it to take the %zu frames queued", seconds,
                      waiting);
        report_(label_ + line);
      }
      // Until every frame is taken (a broker away may come back meanwhile:
      // the thread goes on trying) and, while connected, the offline status
      // too; a broker that refuses the settings is not waited for.
      const auto deadline =
          std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
      changed_.wait_until(lock, deadline, [this] {
        const bool delivered = queue_.Empty() && framesInFlight_.empty();
        return !fatal_.empty() || (delivered && (!connected_ || offlineMid_ == kAcknowledged));
      });
      stop_ = true;
      if (connected_) mosquitto_disconnect(mosq_);
      changed_.notify_all();
      leaveBehind = !changed_.wait_for(lock, std::chrono::duration<double>(kThreadEndSeconds),
                                       [this] { return threadDone_; });
    }
  }
  if (thread_.joinable()) {
    if (leaveBehind) {
      // Stuck in a name lookup: the process ends without it.
      thread_.detach();
      return false;
    }
    thread_.join();
  }
  if (mosq_ != nullptr) mosquitto_destroy(mosq_);
  mosq_ = nullptr;
  mosquitto_lib_cleanup();
  return true;
}

}  // namespace publish
