// What every benchmark prints: one line per figure,
//   name value unit >=target ok      (or <=target; MISS where it falls short)
// and how long it may run: `--quick` for a few seconds (CI), the full length
// otherwise. Header only: every bench/*.cpp is a program of its own.
#pragma once

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

struct Options {
  bool quick = false;
};

inline Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--quick") == 0) options.quick = true;
  return options;
}

// Prints one figure against its target ("<=" or ">="); returns whether it is met.
inline bool Figure(const char* name, double value, const char* unit, const char* relation,
                   double target, bool ok, const char* format) {
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
  char v[64];
  std::snprintf(v, sizeof v, format, value);
  std::printf("%s %s %s\n", name, v, unit);
  std::fflush(stdout);
}

// CPU seconds of this process, or of the calling thread alone.
// The middle of the turns' figures (the upper one of an even count); 0 for none.
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

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
