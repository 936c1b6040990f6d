#include "tests/publish_e2e/mqtt_harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace mqtt_harness {
namespace {

int64_t UnixMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

std::string FindMosquitto() {
  for (const char* path :
       {"/usr/sbin/mosquitto", "/usr/bin/mosquitto", "/usr/local/sbin/mosquitto"})
    if (access(path, X_OK) == 0) return path;
  return "";
}

}  // namespace

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

std::string TempDir() {
  char path[] = "/tmp/vantrel-mqtt-XXXXXX";
  return mkdtemp(path) != nullptr ? path : "/tmp";
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

bool WaitUntil(const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

Child::~Child() {
  if (pid_ > 0 && status_ < 0) {
    kill(pid_, SIGKILL);
    Wait(5.0);
  }
}

bool Child::Start(const std::vector<std::string>& argv, const std::string& stderrPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  status_ = -1;
  const bool started = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

void Child::Signal(int signal) const {
  if (pid_ > 0 && status_ < 0) kill(pid_, signal);
}

int Child::Wait(double seconds) {
  WaitUntil(
      [this] {
        int status = 0;
        if (status_ >= 0 || waitpid(pid_, &status, WNOHANG) != pid_) return status_ >= 0;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
      },
      seconds);
  return status_;
}

std::string Broker::Start(const std::string& extra) {
  const std::string program = FindMosquitto();
  if (program.empty())
    return "mosquitto not found: run make deps (it installs mosquitto and mosquitto-clients)";
  if (port_ == 0) {
    port_ = FreePort();
    extra_ = extra;
  }
  WriteFile(
      dir_ + "/mosquitto.conf",
      "listener " + std::to_string(port_) + " 127.0.0.1\npersistence true\npersistence_location " +
          dir_ + "/\n" +
          // As root it would become the user mosquitto, who may not read the folder.
          (geteuid() == 0 ? "user root\n" : "") +
          (extra_.find("allow_anonymous") == std::string::npos ? "allow_anonymous true\n" : "") +
          extra_);
  if (!process_.Start({program, "-c", dir_ + "/mosquitto.conf"}, dir_ + "/mosquitto.log"))
    return "mosquitto could not start";
  if (!WaitUntil([this] { return Accepts(port_); }, 10.0))
    return "mosquitto does not accept: " + ReadFile(dir_ + "/mosquitto.log");
  return "";
}

void Broker::Stop() {
  process_.Signal(SIGTERM);
  process_.Wait(10.0);
}

std::string Broker::Url(const std::string& prefix) const {
  return "mqtt://127.0.0.1:" + std::to_string(port_) + "/" + prefix;
}

Subscriber::Subscriber(int port, const std::string& id, bool persistent, const std::string& filter)
    : filter_(filter) {
  mosquitto_lib_init();
  mosq_ = mosquitto_new(id.c_str(), !persistent, this);
  mosquitto_connect_callback_set(mosq_, OnConnect);
  mosquitto_message_callback_set(mosq_, OnMessage);
  mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
  mosquitto_connect(mosq_, "127.0.0.1", port, 30);
  mosquitto_loop_start(mosq_);
}

Subscriber::~Subscriber() {
  mosquitto_disconnect(mosq_);
  mosquitto_loop_stop(mosq_, false);
  mosquitto_destroy(mosq_);
}

void Subscriber::OnConnect(struct mosquitto* mosq, void* self, int code) {
  if (code == 0)
    mosquitto_subscribe(mosq, nullptr, static_cast<Subscriber*>(self)->filter_.c_str(), 1);
}

void Subscriber::OnMessage(struct mosquitto*, void* data, const struct mosquitto_message* message) {
  auto* self = static_cast<Subscriber*>(data);
  std::lock_guard<std::mutex> lock(self->mutex_);
  self->messages_.push_back({message->topic,
                             std::string(static_cast<const char*>(message->payload),
                                         static_cast<size_t>(message->payloadlen)),
                             message->retain, UnixMicroseconds()});
}

std::vector<Message> Subscriber::Messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_;
}

std::vector<Message> Subscriber::On(const std::string& topic) const {
  std::vector<Message> on;
  for (const Message& message : Messages()) {
    if (message.topic == topic) on.push_back(message);
  }
  return on;
}

bool Subscriber::WaitFor(const std::function<bool(const std::vector<Message>&)>& done,
                         double seconds) const {
  return WaitUntil([&] { return done(Messages()); }, seconds);
}

}  // namespace mqtt_harness
