// What the publishing tests and its benchmark run beside vantrel-cli: a real
// mosquitto on 127.0.0.1 at a free port with a config of its own in a
// temporary folder, a subscriber on libmosquitto, a child process.
#pragma once

#include <sys/types.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace mqtt_harness {

// A new folder under /tmp.
std::string TempDir();
// A TCP port on 127.0.0.1 that nothing listens on now.
int FreePort();
void WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);
// Looks at `done` every few milliseconds until it holds or `seconds` pass.
bool WaitUntil(const std::function<bool()>& done, double seconds);

class Child {
 public:
  ~Child();  // kills it if it still runs
  // Runs argv[0] with standard error into `stderrPath`; false when it cannot start.
  bool Start(const std::vector<std::string>& argv, const std::string& stderrPath);
  void Signal(int signal) const;
  // Its exit status (128 + n after signal n) once it ended within `seconds`, else -1.
  int Wait(double seconds);
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

class Broker {
 public:
  explicit Broker(std::string dir) : dir_(std::move(dir)) {}
  // Starts mosquitto with `extra` config lines (persistence in the folder,
  // the same port again on a restart) and waits until it accepts; "" then,
  // else why not (mosquitto missing: run make deps).
  std::string Start(const std::string& extra = "");
  void Stop();  // SIGTERM: it saves its persistence and ends
  int Port() const { return port_; }
  std::string Url(const std::string& prefix) const;

 private:
  std::string dir_;
  std::string extra_;
  int port_ = 0;
  Child process_;
};

struct Message {
  std::string topic;
  std::string payload;
  bool retained = false;
  int64_t unixMicroseconds = 0;  // when it arrived
};

class Subscriber {
 public:
  // Subscribes to `filter` with QoS 1; a persistent session keeps what comes
  // while it is away (on a broker with persistence).
  Subscriber(int port, const std::string& id, bool persistent, const std::string& filter);
  ~Subscriber();
  std::vector<Message> Messages() const;
  std::vector<Message> On(const std::string& topic) const;
  bool WaitFor(const std::function<bool(const std::vector<Message>&)>& done, double seconds) const;

 private:
  static void OnConnect(struct mosquitto*, void* self, int code);
  static void OnMessage(struct mosquitto*, void* self, const struct mosquitto_message* message);
  struct mosquitto* mosq_ = nullptr;
  std::string filter_;
  mutable std::mutex mutex_;
  std::vector<Message> messages_;
};

}  // namespace mqtt_harness
