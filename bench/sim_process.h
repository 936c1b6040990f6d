// The simulated sensor as a process of its own (vantrel-sim), so that the
// CPU and memory a benchmark measures with getrusage are the tool's alone.
// Header only: every bench/*.cpp is a program of its own.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "bench/figures.h"

namespace bench {

class SimProcess {
 public:
  // Starts vantrel-sim with `options` (e.g. {"--unpaced"}) behind a link in
  // /tmp, its standard output (the request log with --log) into `output`;
  // false when it does not come up within 5 s.
  bool Start(const std::vector<std::string>& options, const std::string& output = "/dev/null") {
    link_ = "/tmp/vantrel-bench-" + std::to_string(getpid()) + "-" + std::to_string(++count_);
    unlink(link_.c_str());
    std::vector<std::string> args = {VANTREL_SIM_BIN, "--link", link_};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      // Its log is not the benchmark's figures.
      if (!freopen(output.c_str(), "w", stdout)) _exit(126);
      execv(argv[0], argv.data());
      _exit(127);
    }
    const double deadline = MonotonicSeconds() + 5.0;
    struct stat st;
    while (MonotonicSeconds() < deadline) {
      if (stat(link_.c_str(), &st) == 0) return true;
      usleep(2000);
    }
    return false;
  }
  const std::string& Path() const { return link_; }
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }
  ~SimProcess() { Stop(); }

 private:
  pid_t pid_ = -1;
  std::string link_;
  static inline int count_ = 0;
};

}  // namespace bench
