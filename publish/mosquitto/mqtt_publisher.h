// One sensor's topics on an MQTT broker, over libmosquitto. A thread of the
// publisher's own owns the connection: it resolves the broker's name,
// connects (the last will PREFIX/status = offline, retained; user name and
// password; TLS with a CA file for mqtts://), reconnects with back-off, and
// publishes every retained topic again on every connect. The Run's thread
// only hands frames over: Publish() puts a frame into Vantrel's bounded
// queue and passes at most kInFlight of them to libmosquitto, which holds
// nothing else, so a broker that is away or slow never delays a request to
// the sensor, and the frames since a loss are sent in order when it is back.
//
// Every member may be called from any thread; reports come from the
// publisher's thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include "publish/broker_url.h"
#include "publish/frame_queue.h"
#include "publish/payloads.h"
#include "publish/topics.h"

struct mosquitto;

namespace publish {

// Frames handed to libmosquitto and not yet acknowledged, at most.
constexpr int kInFlight = 20;
// Seconds between keep-alive pings: a publisher that died is declared
// offline by the broker (its last will) within one and a half of these.
constexpr int kKeepAliveSeconds = 15;
// A connection the broker has not accepted within this many seconds is
// given up and tried again.
constexpr double kConnectSeconds = 10.0;

struct PublisherSettings {
  BrokerUrl broker;
  std::string clientId;
  std::string username;  // empty: none
  std::string password;
  std::string cafile;  // for mqtts://; empty: the system's CA certificates
  int qos = 1;         // of the measurements; the retained topics go with 1
};

class MqttPublisher {
 public:
  // One line for the operator ("broker 127.0.0.1:1883: connected").
  using Report = std::function<void(const std::string&)>;

  MqttPublisher(PublisherSettings settings, Report report);
  ~MqttPublisher();  // Finish(0) when not finished
  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  // Sets libmosquitto up and starts the publisher's thread, which connects.
  // False with the reason when libmosquitto refuses the settings (a CA file
  // it cannot read).
  bool Start(std::string* error);

  // The sensor link's state on PREFIX/status (with the count dropped),
  // published at once when connected and again on every connect.
  void SetState(SensorState state);
  // A retained topic's payload (identity, parameters): published when it
  // differs from the last one, and again on every connect.
  void Retain(const std::string& topic, const std::string& payload);
  // One measurement: queued and passed on as the in-flight window allows.
  // Never waits for the broker.
  void Publish(std::string payload);

  // Why the broker can never be reached with these settings, found before
  // the first connection (unknown host, credentials refused, TLS refused);
  // "" none. The publisher then stops trying.
  std::string Fatal() const;

  struct Counts {
    uint64_t delivered = 0;  // measurements the broker acknowledged (QoS 1) or took (QoS 0)
    uint64_t dropped = 0;    // dropped from a full queue
    uint64_t waiting = 0;    // queued or in flight
    bool connected = false;
  };
  Counts GetCounts() const;

  // Publishes PREFIX/status = offline, waits up to `seconds` for the queue
  // to empty and everything to be acknowledged (a broker away meanwhile is
  // tried again, and says so), disconnects and ends the thread. Idempotent. False when the thread
  // could not be ended (stuck in a name lookup): the publisher must then outlive the process, which
  // is about to end.
  bool Finish(double seconds);

 private:
  static void OnConnect(struct mosquitto*, void* self, int code);
  static void OnDisconnect(struct mosquitto*, void* self, int code);
  static void OnPublish(struct mosquitto*, void* self, int mid);

  void Loop();
  // With mutex_ held, connected: publishes what waits.
  void PumpLocked();
  int PublishLocked(const std::string& topic, const std::string& payload, int qos, bool retain);
  void PublishStatusLocked();
  // The connection ended or never came: says why, once an outage, and
  // schedules the next attempt; a fatal reason before the first connection
  // stops the attempts.
  void ConnectionFailed(const std::string& reason, bool fatalBeforeFirst);
  double Now() const;

  PublisherSettings settings_;
  Topics topics_;
  std::string label_;  // "broker HOST:PORT"
  Report report_;
  struct mosquitto* mosq_ = nullptr;
  std::thread thread_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  FrameQueue queue_;
  std::unordered_set<int> framesInFlight_;  // mids of measurements not yet acknowledged
  uint64_t delivered_ = 0;
  SensorState state_ = SensorState::kUnknown;
  uint64_t statusDropped_ = 0;  // the count the last status carried
  double statusAt_ = 0.0;
  std::vector<std::pair<std::string, std::string>> retained_;  // topic, payload, in order
  int offlineMid_ = -1;  // the final status, until acknowledged
  bool connected_ = false;
  bool everConnected_ = false;
  bool stop_ = false;
  bool finished_ = false;
  bool threadDone_ = false;
  std::string fatal_;
  uint64_t lostInFlight_ = 0;  // QoS 0 frames that went with a connection
  std::string refusal_;        // the broker's refusal of the last connect
  bool refusalFatal_ = false;
  bool accepted_ = false;  // the broker accepted the running connection
  int failures_ = 0;       // attempts failed in a row
  double nextAttempt_ = 0.0;
  double outageStart_ = -1.0;  // when the connection was lost; -1 while connected
  std::string lastReason_;     // said for the running outage
};

}  // namespace publish
