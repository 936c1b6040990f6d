// What every benchmark prints: one line per figure,
//   name value unit >=target ok      (or <=target; MISS where it falls short)
// and how long it may run: `--quick` for a few seconds (CI), the full length
// otherwise. With `--turns N` the whole benchmark runs N times, each turn a
// fresh process, and each figure is printed once for all turns:
//   name  min 0.984  median 0.990  max 0.993 ratio  >=0.995  MISS
// judged on the median. Header only: every bench/*.cpp is a program of its own.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

struct Options {
  bool quick = false;
  int turns = 0;  // 0: measure once, print each figure as it comes
};

// The middle of the turns' figures (the upper one of an even count); 0 for none.
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

namespace turns {

// In a turn's process: where its figures go to the process that runs the
// turns (-1: print them).
inline int& FigureFd() {
  static int fd = -1;
  return fd;
}

// One figure over the turns, in the order the benchmark first printed it.
struct Series {
  std::string name, unit, relation, format;  // relation "" for a reference
  double target = 0;
  std::vector<double> values;
};

// A turn's figure as a line of tab-separated fields on the pipe.
inline void Send(const char* name, double value, const char* unit, const char* relation,
                 double target, const char* format) {
  char line[512];
  const int n = std::snprintf(line, sizeof line, "%s\t%.17g\t%s\t%s\t%.17g\t%s\n", name, value,
                              unit, relation, target, format);
  if (n > 0 && n < static_cast<int>(sizeof line)) [[maybe_unused]]
    ssize_t w = write(FigureFd(), line, static_cast<size_t>(n));
}

inline void Take(const std::string& line, std::vector<Series>* all) {
  std::vector<std::string> f;
  size_t from = 0;
  for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
    f.push_back(line.substr(from, tab - from));
  f.push_back(line.substr(from));
  if (f.size() != 6) return;
  auto it = std::find_if(all->begin(), all->end(), [&](const Series& s) { return s.name == f[0]; });
  if (it == all->end()) {
    all->push_back({f[0], f[2], f[3], f[5], std::atof(f[4].c_str()), {}});
    it = all->end() - 1;
  }
  it->values.push_back(std::atof(f[1].c_str()));
}

inline void Print(const Series& s) {
  const auto text = [&](double v) {
    char out[64];
    std::snprintf(out, sizeof out, s.format.c_str(), v);
    return std::string(out);
  };
  const double median = Median(s.values);
  std::string line = s.name + "  min " + text(*std::min_element(s.values.begin(), s.values.end())) +
                     "  median " + text(median) + "  max " +
                     text(*std::max_element(s.values.begin(), s.values.end())) + " " + s.unit;
  if (!s.relation.empty()) {
    const bool ok = s.relation == ">=" ? median >= s.target : median <= s.target;
    line += "  " + s.relation + text(s.target) + "  " + (ok ? "ok" : "MISS");
  }
  std::printf("%s\n", line.c_str());
}

// Runs the benchmark `count` times: each turn is a child that returns from
// here to run main's body, its figures sent back on a pipe (its other output
// shown for the first turn only). The parent prints each figure's min, median
// and max and exits: 0 when every turn succeeded.
inline void Run(int count) {
  std::vector<Series> all;
  int failed = 0;
  for (int turn = 0; turn < count; ++turn) {
    std::fflush(stdout);
    int fds[2];
    if (pipe(fds) != 0) std::exit(1);
    const pid_t pid = fork();
    if (pid < 0) std::exit(1);
    if (pid == 0) {
      close(fds[0]);
      FigureFd() = fds[1];
      if (turn > 0 && !std::freopen("/dev/null", "w", stdout)) _exit(126);
      return;
    }
    close(fds[1]);
    std::string pending;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
      if (n < 0) continue;  // EINTR
      pending.append(buffer, static_cast<size_t>(n));
      for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        Take(pending.substr(0, end), &all);
        pending.erase(0, end + 1);
      }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "turn %d of %d failed\n", turn + 1, count);
      ++failed;
    }
  }
  for (const Series& s : all) Print(s);
  std::fflush(stdout);
  std::exit(failed == 0 && !all.empty() ? 0 : 1);
}

}  // namespace turns

// Reads --quick and --turns N. Given turns, they run here (see turns::Run):
// only their children return, the calling process exits.
// Call it first in main, before any thread or window exists.
inline Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) options.quick = true;
    if (std::strcmp(argv[i], "--turns") == 0 && i + 1 < argc)
      options.turns = std::max(1, std::atoi(argv[++i]));
  }
  if (options.turns > 0) turns::Run(options.turns);
  return options;
}

// Prints one figure against its target ("<=" or ">="); returns whether it is met.
inline bool Figure(const char* name, double value, const char* unit, const char* relation,
                   double target, bool ok, const char* format) {
  if (turns::FigureFd() >= 0) {
    turns::Send(name, value, unit, relation, target, format);
    return ok;
  }
  char v[64], t[64];
  std::snprintf(v, sizeof v, format, value);
  std::snprintf(t, sizeof t, format, target);
  std::printf("%s %s %s %s%s %s\n", name, v, unit, relation, t, ok ? "ok" : "MISS");
  std::fflush(stdout);
  return ok;
}

inline bool AtLeast(const char* name, double value, const char* unit, double target,
                    const char* format = "%.3f") {
  return Figure(name, value, unit, ">=", target, value >= target, format);
}

inline bool AtMost(const char* name, double value, const char* unit, double target,
                   const char* format = "%.3f") {
  return Figure(name, value, unit, "<=", target, value <= target, format);
}

// A figure with no target of its own (a reference measured in the same run).
inline void Reference(const char* name, double value, const char* unit,
                      const char* format = "%.3f") {
  if (turns::FigureFd() >= 0) return turns::Send(name, value, unit, "", 0, format);
  char v[64];
  std::snprintf(v, sizeof v, format, value);
  std::printf("%s %s %s\n", name, v, unit);
  std::fflush(stdout);
}

// CPU seconds of this process, or of the calling thread alone.
inline double CpuSeconds(int who = RUSAGE_SELF) {
  struct rusage u;
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Peak resident memory of this process, MB (10^6 bytes).
inline double PeakRssMB() {
  struct rusage u;
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) * 1024.0 / 1e6;
}

// Resident memory now, MB, from /proc/self/statm.
inline double RssMB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

inline double MonotonicSeconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace bench
