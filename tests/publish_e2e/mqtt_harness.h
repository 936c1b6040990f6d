// What the publishing tests and benchmark run beside vantrel-cli, each a real
// process: mosquitto on 127.0.0.1 at a free port with a config of its own in
// a temporary folder, and mosquitto_sub as the plant's subscriber.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mqtt_harness {

std::string TempDir();  // a new folder under /tmp
int FreePort();         // on 127.0.0.1, nothing listens on it now
void WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);
// Looks at `done` every few milliseconds until it holds or `seconds` pass.
bool WaitUntil(const std::function<bool()>& done, double seconds);

class Child {
 public:
  ~Child();  // kills it if it still runs
  // Runs argv[0] with standard output and error into `outputPath`.
  bool Start(const std::vector<std::string>& argv, const std::string& outputPath);
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
  // Starts mosquitto with `extra` config lines (persistence in the folder;
  // on a restart the same port and lines) and waits until it accepts. ""
  // then, else why not.
  std::string Start(const std::string& extra = "");
  void Stop();  // SIGTERM: it saves its persistence and ends
  int Port() const { return port_; }
  std::string Url(const std::string& prefix) const;

 private:
  std::string dir_, extra_;
  int port_ = 0;
  Child process_;
};

struct Message {
  bool retained = false;
  int64_t unixMicroseconds = 0;  // when it arrived
  std::string topic, payload;
};

// mosquitto_sub on `filter` with QoS 1 and a session of its own that the
// broker keeps while it is away (-c), its messages in `dir`.
class Subscriber {
 public:
  Subscriber(int port, const std::string& id, const std::string& filter, const std::string& dir);
  std::vector<Message> Messages() const;
  std::vector<Message> On(const std::string& topic) const;

 private:
  std::string output_;
  Child process_;
};

}  // namespace mqtt_harness
