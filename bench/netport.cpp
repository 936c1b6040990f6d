// Sensors on the network: the simulated sensor behind ser2net on loopback,
// in both of its modes, against the same sensor on the local pty.
//   rfc2217_negotiation   opening the port: connect, the line set and confirmed
//   exchange_added_*      a request and its reply (unpaced sensor), the time
//                         the network path adds to the local pty's
//   lost_connection       ser2net killed under an open idle port, until the
//                         program is told (a silent host is found by the
//                         keep-alive: 2 s quiet, two probes a second apart)
//   run_paced_ratio_*     the Run loop against the paced sensor, its cycles
//                         per second over the line's limit, each way
//
//   bench_netport [--quick] [--turns N]
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/figures.h"
#include "bench/live_loop.h"
#include "bench/sim_process.h"
#include "display/controls.h"
#include "protocol/frame.h"
#include "protocol/orders.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "tests/support/ser2net_server.h"

namespace {

constexpr double kLineLimit = 19200.0 / 10.0 / (36 + 36);  // Run cycles per second
constexpr int kPort = 2;

struct Way {
  const char* name;
  Ser2netMode mode;
};
const Way kWays[] = {{"rfc2217", Ser2netMode::kRfc2217}, {"tcp", Ser2netMode::kRawTcp}};

double MedianMs(std::vector<double> seconds) {
  return 1000.0 * bench::Median(std::move(seconds));
}

bool Open(const std::string& device) {
  if (OpenComConfig(kPort, device.c_str(), 19200, 0, 8, 1, 4096, 4096) != 0) return false;
  SetComTime(kPort, 2.0);
  return true;
}

// Median time of `count` measurement exchanges on `device`: flushes, the
// request written, the reply read whole.
double ExchangeMs(const std::string& device, int count) {
  if (!Open(device)) return -1;
  const std::vector<uint8_t> request = protocol::EncodeRequest(protocol::kMeasure, {});
  std::vector<double> times;
  char reply[protocol::kFrameLength];
  for (int i = 0; i < count; ++i) {
    FlushInQ(kPort);
    FlushOutQ(kPort);
    const double t0 = bench::MonotonicSeconds();
    ComWrt(kPort, reinterpret_cast<const char*>(request.data()), protocol::kFrameLength);
    if (ComRd(kPort, reply, protocol::kFrameLength) != protocol::kFrameLength) break;
    times.push_back(bench::MonotonicSeconds() - t0);
  }
  CloseCom(kPort);
  return static_cast<int>(times.size()) == count ? MedianMs(times) : -1;
}

bool g_lost = false;
void NoteLoss(int, int events, void*) {
  if (events & COM_EVENT_ERROR) g_lost = true;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 3.0 : 30.0;
  std::string error;

  // The paced Run, locally and through each mode, in the same run.
  bench::LoopFigures local;
  if (!bench::DriveLoop(BTNRun, seconds, {}, &local)) return 1;
  bench::AtLeast("run_paced_ratio_local", local.rate / kLineLimit, "ratio", 0.98, "%.3f");
  for (const Way& way : kWays) {
    Ser2netServer server;
    bench::LoopFigures net;
    const auto route = [&](const std::string& device) {
      return server.Start(device, way.mode, "19200n81", &error) ? server.Url() : std::string();
    };
    if (!bench::DriveLoop(BTNRun, seconds, {}, &net, false, nullptr, route)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    const std::string name = std::string("run_paced_ratio_") + way.name;
    bench::AtLeast(name.c_str(), net.rate / kLineLimit, "ratio", 0.98, "%.3f");
    bench::Reference((std::string("run_paced_cpu_") + way.name).c_str(), net.cpu, "%core", "%.1f");
  }

  // The engine is up now (the loops started it); the rest uses its operations.
  bench::SimProcess sensor;
  if (!sensor.Start({"--unpaced"})) return 1;
  const int exchanges = options.quick ? 200 : 2000;
  const double localMs = ExchangeMs(sensor.Path(), exchanges);
  bench::Reference("exchange_local", localMs, "ms", "%.3f");
  for (const Way& way : kWays) {
    Ser2netServer server;
    if (!server.Start(sensor.Path(), way.mode, "9600n81", &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    if (way.mode == Ser2netMode::kRfc2217) {
      std::vector<double> opens;
      for (int i = 0; i < (options.quick ? 5 : 30); ++i) {
        const double t0 = bench::MonotonicSeconds();
        if (!Open(server.Url())) return 1;
        opens.push_back(bench::MonotonicSeconds() - t0);
        CloseCom(kPort);
      }
      bench::AtMost("rfc2217_negotiation", MedianMs(opens), "ms", 100.0, "%.1f");
    }
    const double netMs = ExchangeMs(server.Url(), exchanges);
    if (netMs < 0) return 1;
    bench::AtMost((std::string("exchange_added_") + way.name).c_str(), netMs - localMs, "ms", 5.0,
                  "%.3f");

    if (!Open(server.Url())) return 1;
    InstallComCallback(kPort, COM_EVENT_RECEIVE, 36, 0, NoteLoss, nullptr);
    g_lost = false;
    const double killed = bench::MonotonicSeconds();
    server.Kill();
    while (!g_lost && bench::MonotonicSeconds() - killed < 10.0) ProcessSystemEvents();
    bench::AtMost((std::string("lost_connection_") + way.name).c_str(),
                  bench::MonotonicSeconds() - killed, "s", 5.0, "%.3f");
    CloseCom(kPort);
  }
  return 0;
}
