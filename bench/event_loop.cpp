// The engine's polling wait: CPU used by a tight ProcessSystemEvents loop with
// nothing to do, and how late it notices work that arrives (an event posted
// from another thread, a timer).
//
//   bench_event_loop   (runs offscreen unless QT_QPA_PLATFORM says otherwise)
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "runtime/userint.h"
#include "runtime/utility.h"

namespace {

double CpuSeconds() {
  struct rusage u;
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double v : ms) sum += v;
  std::printf("%-40s n=%zu  mean %.3f ms  median %.3f ms  p99 %.3f ms  max %.3f ms\n", what,
              ms.size(), sum / static_cast<double>(ms.size()), ms[ms.size() / 2],
              ms[ms.size() * 99 / 100], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (!InitRuntime(argc, argv)) return 1;

  // 1. Idle polling: 2 s of back-to-back ProcessSystemEvents calls.
  const double cpu0 = CpuSeconds();
  const double t0 = Timer();
  long calls = 0;
  while (Timer() - t0 < 2.0) {
    ProcessSystemEvents();
    ++calls;
  }
  const double wall = Timer() - t0;
  const double cpu = CpuSeconds() - cpu0;
  std::printf("idle ProcessSystemEvents loop: %.2f s, %ld calls (%.0f per second), CPU %.1f %%\n",
              wall, calls, static_cast<double>(calls) / wall, 100.0 * cpu / wall);

  // 2. Wake latency for an event posted from another thread while the loop
  //    polls: time from the post to the moment the UI thread runs it.
  std::vector<double> posted;
  for (int i = 0; i < 300; ++i) {
    std::atomic<double> postedAt{0.0};
    std::atomic<bool> ran{false};
    double ranAt = 0.0;
    std::thread poster([&] {
      std::this_thread::sleep_for(std::chrono::microseconds(200 + (i * 37) % 1500));
      postedAt = Timer();
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [&] {
            ranAt = Timer();
            ran = true;
          },
          Qt::QueuedConnection);
    });
    while (!ran) ProcessSystemEvents();
    poster.join();
    posted.push_back((ranAt - postedAt) * 1000.0);
  }
  Report("posted event -> handled", posted);

  // 3. Timer lateness: a 5 ms single-shot timer while the loop polls.
  std::vector<double> late;
  for (int i = 0; i < 200; ++i) {
    bool fired = false;
    double firedAt = 0.0;
    const double start = Timer();
    QTimer::singleShot(5, Qt::PreciseTimer, [&] {
      firedAt = Timer();
      fired = true;
    });
    while (!fired) ProcessSystemEvents();
    late.push_back((firedAt - start) * 1000.0 - 5.0);
  }
  Report("5 ms timer -> fired, lateness", late);
  return 0;
}
