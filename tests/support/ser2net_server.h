// ser2net (the Debian package) on 127.0.0.1 in front of a device, as a serial
// device server in front of a sensor: for the tests and the benchmarks of the
// network ports. Header only (the benchmarks are programs of their own).
//
//   Ser2netServer server;
//   ASSERT_TRUE(server.Start(sensor.SlavePath(), Ser2netMode::kRfc2217, "9600n81", &error)) <<
//   error; OpenComConfig(1, server.Url().c_str(), ...);
//
// A machine without ser2net fails Start with a message saying to run
// `make deps`, which installs it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

enum class Ser2netMode { kRfc2217, kRawTcp };

class Ser2netServer {
 public:
  ~Ser2netServer() { Kill(); }

  // Starts ser2net on a free port of 127.0.0.1 in front of `device`, the line
  // opened at `line` (ser2net's form: "9600n81"), with the server's delays
  // off as the README's configuration has them. False with the reason when
  // ser2net is missing or does not listen within 5 s.
  bool Start(const std::string& device, Ser2netMode mode, const std::string& line,
             std::string* error) {
    device_ = device;
    mode_ = mode;
    line_ = line;
    port_ = FreePort();
    return Launch(error);
  }
  // Starts it again on the same port, as it was (after Kill).
  bool Restart(std::string* error) { return Launch(error); }
  // Ends the server at once, as a crash or a pulled plug would: the
  // connections are cut without a word.
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  int Port() const { return port_; }
  std::string Url() const {
    return std::string(mode_ == Ser2netMode::kRfc2217 ? "rfc2217" : "tcp") +
           "://127.0.0.1:" + std::to_string(port_);
  }

  // A port of 127.0.0.1 that nothing listens on now.
  static int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
  }

 private:
  static std::string Program() {
    for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"}) {
      if (access(path, X_OK) == 0) return path;
    }
    return "";
  }

  bool Listening() const {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    const bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return up;
  }

  bool Launch(std::string* error) {
    const std::string program = Program();
    if (program.empty()) {
      *error = "ser2net is not installed: run `make deps` (it installs the Debian package ser2net)";
      return false;
    }
    const std::string stem =
        "/tmp/vantrel-ser2net-" + std::to_string(getpid()) + "-" + std::to_string(port_);
    {
      std::ofstream config(stem + ".yaml");
      config << "connection: &sensor\n"
             << "  accepter: "
             << (mode_ == Ser2netMode::kRfc2217 ? "telnet(rfc2217),tcp(nodelay)" : "tcp(nodelay)")
             << ",127.0.0.1," << port_ << "\n"
             << "  connector: serialdev," << device_ << "," << line_ << ",local\n"
             << "  options:\n    chardelay: false\n";
    }
    pid_ = fork();
    if (pid_ < 0) {
      *error = "cannot start ser2net";
      return false;
    }
    if (pid_ == 0) {
      if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
      const std::string config = stem + ".yaml", pidFile = stem + ".pid";
      execl(program.c_str(), program.c_str(), "-n", "-u", "-c", config.c_str(), "-P",
            pidFile.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      if (Listening()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    *error = "ser2net did not listen on 127.0.0.1:" + std::to_string(port_) + " within 5 s";
    Kill();
    return false;
  }

  std::string device_, line_;
  Ser2netMode mode_ = Ser2netMode::kRawTcp;
  int port_ = 0;
  pid_t pid_ = -1;
};
