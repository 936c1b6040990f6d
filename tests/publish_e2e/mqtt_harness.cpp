#include "tests/publish_e2e/mqtt_harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace mqtt_harness {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(port);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

}  // namespace

std::string TempDir() {
  char path[] = "/tmp/vantrel-mqtt-XXXXXX";
  return mkdtemp(path) != nullptr ? path : "/tmp";
}

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
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
  Signal(SIGKILL);
  if (pid_ > 0) Wait(5.0);
}

bool Child::Start(const std::vector<std::string>& argv, const std::string& outputPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  status_ = -1;
  // By name on the PATH (mosquitto_sub), or a path.
  const bool started = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) == 0;
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
  std::string program = "/usr/sbin/mosquitto";
  if (access(program.c_str(), X_OK) != 0)
    return "mosquitto not found: run make deps (it installs mosquitto and mosquitto-clients)";
  if (port_ == 0) {
    port_ = FreePort();
    extra_ = extra;
  }
  WriteFile(
      dir_ + "/mosquitto.conf",
      "listener " + std::to_string(port_) + " 127.0.0.1\npersistence true\n" +
          "persistence_location " + dir_ + "/\n" +
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

Subscriber::Subscriber(int port, const std::string& id, const std::string& filter,
                       const std::string& dir)
    : output_(dir + "/" + id + ".messages") {
  // One line a message: retained flag, arrival (s.ns since 1970), topic, payload.
  process_.Start({"mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port), "-q", "1", "-c",
                  "-i", id, "-t", filter, "-F", "%r %U %t %p"},
                 output_);
}

std::vector<Message> Subscriber::Messages() const {
  std::vector<Message> messages;
  std::istringstream lines(ReadFile(output_));
  for (std::string line; std::getline(lines, line);) {
    Message message;
    std::istringstream fields(line);
    double seconds = 0.0;
    if (!(fields >> message.retained >> seconds >> message.topic)) continue;
    message.unixMicroseconds = static_cast<int64_t>(seconds * 1e6);
    std::getline(fields >> std::ws, message.payload);
    messages.push_back(message);
  }
  return messages;
}

std::vector<Message> Subscriber::On(const std::string& topic) const {
  std::vector<Message> on;
  for (const Message& message : Messages()) {
    if (message.topic == topic) on.push_back(message);
  }
  return on;
}

}  // namespace mqtt_harness
