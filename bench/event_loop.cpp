// The engine's polling wait: CPU used by a tight ProcessSystemEvents loop with
// nothing to do, how late such a loop sees a time-out, how late it notices
// work that arrives (an event posted from another thread, a timer), and what
// a GetInQLen loop on a silent line costs (no events processed there); and
// the whole program at rest after its start-up: how often its thread wakes
// and what CPU it takes.
//
//   bench_event_loop [--quick] [--turns N]   (runs offscreen unless QT_QPA_PLATFORM says otherwise)
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/vantrel.h"
#include "bench/figures.h"
#include "bench/sim_process.h"
#include "runtime/rs232.h"
#include "runtime/testing/resource_path.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

namespace {

// Times the calling thread went to sleep and was woken (its voluntary
// context switches).
long WakeUps() {
  long switches = -1;
  if (FILE* f = std::fopen("/proc/thread-self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "voluntary_ctxt_switches: %ld", &switches) == 1) break;
    std::fclose(f);
  }
  return switches;
}

double Percentile(std::vector<double> v, int p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, v.size() * static_cast<size_t>(p) / 100)];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 1.0 : 3.0;

  // 0. The program at rest: started against a sensor, its panels shown, the
  //    outer event loop with nothing to do.
  {
    bench::SimProcess sensor;
    if (!sensor.Start({})) {
      std::fprintf(stderr, "the simulated sensor did not start\n");
      return 1;
    }
    setenv("VANTREL_COM1", sensor.Path().c_str(), 1);
    char* programArgv[] = {const_cast<char*>("vantrel"), nullptr};
    if (StartUp(1, programArgv, PanelResourcePath()) != 0) return 1;
    const double settle = Timer() + 1.0;
    while (Timer() < settle) ProcessSystemEvents();
    const double rest = options.quick ? 3.0 : 10.0;
    const double cpu0 = bench::CpuSeconds();
    const long wakes0 = WakeUps();
    const double t0 = Timer();
    QTimer::singleShot(static_cast<int>(rest * 1000), [] { QuitUserInterface(0); });
    RunUserInterface();
    const double wall = Timer() - t0;
    bench::AtMost("rest_wakeups", static_cast<double>(WakeUps() - wakes0) / wall, "per_s", 4.0,
                  "%.1f");
    bench::AtMost("rest_cpu", 100.0 * (bench::CpuSeconds() - cpu0) / wall, "%core", 0.1, "%.2f");
    ShutDown();
  }

  // 1. Idle polling: back-to-back ProcessSystemEvents calls.
  {
    const double cpu0 = bench::CpuSeconds();
    const double t0 = Timer();
    long calls = 0;
    while (Timer() - t0 < seconds) {
      ProcessSystemEvents();
      ++calls;
    }
    const double wall = Timer() - t0;
    bench::AtMost("poll_idle_cpu", 100.0 * (bench::CpuSeconds() - cpu0) / wall, "%core", 1.0,
                  "%.2f");
    bench::Reference("poll_idle_returns", static_cast<double>(calls) / wall, "per_s", "%.0f");
  }

  // 2. Time-out lateness: a polling loop that waits for a limit strictly
  //    passed, as the reply waits do, and how far past it it notices.
  {
    std::vector<double> late;
    const int n = options.quick ? 20 : 60;
    for (int i = 0; i < n; ++i) {
      const double limit = 0.020 + 0.001 * (i % 7);
      const double t0 = Timer();
      double elapsed = 0;
      while ((elapsed = Timer() - t0) <= limit) ProcessSystemEvents();
      late.push_back((elapsed - limit) * 1000.0);
    }
    bench::AtMost("poll_timeout_late_max", *std::max_element(late.begin(), late.end()), "ms", 10.0,
                  "%.2f");
  }

  // 2b. The same wait telling its deadline first, as the reply waits do: it
  //     sleeps until the limit instead of waking every few milliseconds, and
  //     still sees its time-out at once.
  {
    std::vector<double> late;
    const int n = options.quick ? 10 : 40;
    const double cpu0 = bench::CpuSeconds();
    const double w0 = Timer();
    for (int i = 0; i < n; ++i) {
      const double limit = 0.050 + 0.001 * (i % 7);
      const double t0 = Timer();
      SetWaitDeadline(t0 + limit);
      double elapsed = 0;
      while ((elapsed = Timer() - t0) <= limit) ProcessSystemEvents();
      late.push_back((elapsed - limit) * 1000.0);
    }
    const double wall = Timer() - w0;
    bench::AtMost("reply_wait_timeout_late_max", *std::max_element(late.begin(), late.end()), "ms",
                  10.0, "%.2f");
    bench::AtMost("reply_wait_cpu", 100.0 * (bench::CpuSeconds() - cpu0) / wall, "%core", 1.0,
                  "%.2f");
  }

  // 3. Wake latency for an event posted from another thread while the loop
  //    polls: time from the post to the moment the UI thread runs it.
  {
    std::vector<double> posted;
    const int n = options.quick ? 100 : 300;
    for (int i = 0; i < n; ++i) {
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
    bench::AtMost("poll_posted_wake_p99", Percentile(posted, 99), "ms", 1.0, "%.3f");
  }

  // 4. Timer lateness: a 5 ms single-shot timer while the loop polls.
  {
    std::vector<double> late;
    const int n = options.quick ? 50 : 200;
    for (int i = 0; i < n; ++i) {
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
    bench::AtMost("poll_timer_late_p99", Percentile(late, 99), "ms", 5.0, "%.3f");
  }

  // 5. A raw wait on a silent line: GetInQLen in a loop, no events processed.
  {
    bench::SimProcess silent;
    if (!silent.Start({"--silent"})) {
      std::fprintf(stderr, "the simulated sensor did not start\n");
      return 1;
    }
    setenv("VANTREL_COM1", silent.Path().c_str(), 1);
    if (OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096) < 0) return 1;
    const double cpu0 = bench::CpuSeconds();
    const double t0 = Timer();
    long looks = 0;
    while (Timer() - t0 < seconds && GetInQLen(1) == 0) ++looks;
    const double wall = Timer() - t0;
    bench::AtMost("inqlen_silent_cpu", 100.0 * (bench::CpuSeconds() - cpu0) / wall, "%core", 5.0,
                  "%.2f");
    bench::Reference("inqlen_silent_looks", static_cast<double>(looks) / wall, "per_s", "%.0f");
    CloseCom(1);
  }
  return 0;
}
