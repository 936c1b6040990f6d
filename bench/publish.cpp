// What publishing costs and how fast it is: vantrel-cli publish against the
// simulated sensor paced at 19200 baud, a real mosquitto on 127.0.0.1 and a
// subscriber. Figures: every frame of the Run on the broker (against the
// Measure requests the sensor answered), the frame rate against the line's limit,
// the program's CPU, the latency from a frame taken in (its "time") to the
// subscriber, and the frames lost across a broker outage.
//
//   bench_publish [--quick] [--turns N]   (quick: a 5 s Run and a 2 s outage;
//                                          else 30 s and 10 s)
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "bench/figures.h"
#include "sim/sim_thread.h"
#include "tests/publish_e2e/mqtt_harness.h"

namespace {

constexpr double kLineLimitPerSecond = 19200.0 / (10.0 * (36 + 36));

// CPU seconds a process has used so far (user and system).
double ProcessCpu(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0.0;
  std::vector<std::string> fields;
  std::string field;
  for (std::istringstream rest(text.substr(close + 2)); rest >> field;) fields.push_back(field);
  // After the name: state is field 3 of the line, utime 14 and stime 15.
  if (fields.size() < 13) return 0.0;
  return (std::stod(fields[11]) + std::stod(fields[12])) /
         static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Received {
  size_t unique = 0;
  bool inOrder = true;
  std::vector<double> latencyMs;
};

Received Measurements(const mqtt_harness::Subscriber& plant) {
  Received received;
  std::set<int> seen;
  int last = 0;
  for (const mqtt_harness::Message& message : plant.On("plant/line1/measurement")) {
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(message.payload)).object();
    const int seq = json["seq"].toInt();
    if (!seen.insert(seq).second) continue;  // QoS 1: once more after a restart
    received.inOrder = received.inOrder && seq == last + 1;
    last = seq;
    const std::string time = json["time"].toString().toStdString();  // ...T01:45:11.123456Z
    const double sentSecondOfDay = std::stod(time.substr(11, 2)) * 3600 +
                                   std::stod(time.substr(14, 2)) * 60 +
                                   std::stod(time.substr(17, 9));
    const double at = static_cast<double>(message.unixMicroseconds % 86400000000LL) / 1e6;
    received.latencyMs.push_back((at - sentSecondOfDay) * 1000.0);
  }
  received.unique = seen.size();
  return received;
}

// One publish Run of `seconds`, the broker away for `outage` seconds from
// the Run's third second on (0: never).
bool RunOnce(double seconds, double outage, bool figures) {
  const std::string dir = mqtt_harness::TempDir();
  mqtt_harness::Broker broker(dir);
  if (const std::string why = broker.Start(); !why.empty()) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return false;
  }
  sim::SimThread sensor{sim::Config{}};
  std::string error;
  if (!sensor.Start(&error)) return false;
  mqtt_harness::Subscriber plant(broker.Port(), "bench", "plant/#", dir);
  mqtt_harness::Child cli;
  if (!cli.Start({VANTREL_CLI_BIN, "--port", sensor.SlavePath(), "publish", "--mqtt",
                  broker.Url("plant/line1"), "--duration", std::to_string(seconds)},
                 dir + "/cli.err"))
    return false;
  const auto since = [start = std::chrono::steady_clock::now()] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  mqtt_harness::WaitUntil([&] { return since() >= 2.0; }, 10.0);
  const double cpu0 = ProcessCpu(cli.Pid()), wall0 = since();
  double cpu1 = cpu0, wall1 = wall0;
  if (outage > 0.0) {
    mqtt_harness::WaitUntil([&] { return since() >= 3.0; }, 10.0);
    broker.Stop();
    mqtt_harness::WaitUntil([&] { return since() >= 3.0 + outage; }, outage + 10.0);
    if (!broker.Start().empty()) return false;
  } else {
    mqtt_harness::WaitUntil([&] { return since() >= seconds - 0.5; }, seconds + 10.0);
    cpu1 = ProcessCpu(cli.Pid());
    wall1 = since();
  }
  const int status = cli.Wait(seconds + 30.0);
  // A Run that ends by its duration ends after a frame: every Measure request
  // the sensor received was answered.
  size_t replies = 0;
  double first = 0.0, last = 0.0;
  for (const sim::Request& request : sensor.Requests()) {
    if (request.order != 8) continue;
    if (replies++ == 0) first = request.received;
    last = request.received;
  }
  mqtt_harness::WaitUntil([&] { return Measurements(plant).unique >= replies; }, 10.0);
  const Received received = Measurements(plant);
  broker.Stop();
  std::filesystem::remove_all(dir);
  if (status != 0 || replies == 0) {
    std::fprintf(stderr, "publish ended with %d after %zu frames\n", status, replies);
    return false;
  }
  char name[64];
  if (outage > 0.0) {
    std::snprintf(name, sizeof name, "publish_frames_lost_in_%.0fs_outage", outage);
    bench::AtMost(name, static_cast<double>(replies - std::min(replies, received.unique)), "frames",
                  0.0, "%.0f");
    bench::Reference("publish_frames_of_that_run", static_cast<double>(replies), "frames", "%.0f");
    return received.inOrder;
  }
  if (!figures) return true;
  std::snprintf(name, sizeof name, "publish_frames_on_broker_%.0fs", seconds);
  bench::Reference(name, static_cast<double>(received.unique), "frames", "%.0f");
  bench::AtLeast("publish_frames_on_broker_of_line", static_cast<double>(received.unique) / replies,
                 "ratio", 1.0);
  // Requests a second from the first Measure to the last, against the line's limit.
  bench::AtLeast("publish_rate_of_line_limit",
                 (static_cast<double>(replies) - 1.0) / (last - first) / kLineLimitPerSecond,
                 "ratio", 0.98);
  bench::AtMost("publish_cpu", 100.0 * (cpu1 - cpu0) / (wall1 - wall0), "% of a core", 1.5, "%.2f");
  bench::AtMost("publish_latency_median", bench::Median(received.latencyMs), "ms", 5.0, "%.2f");
  std::vector<double> sorted = received.latencyMs;
  std::sort(sorted.begin(), sorted.end());
  bench::Reference("publish_latency_p99", sorted[sorted.size() * 99 / 100], "ms", "%.2f");
  return received.inOrder;
}

}  // namespace

// The same paced Run watched instead of published: what the Run loop itself
// costs on this machine now, beside publish's figure.
void WatchCpu(double seconds) {
  sim::SimThread sensor{sim::Config{}};
  std::string error;
  if (!sensor.Start(&error)) return;
  mqtt_harness::Child cli;
  const std::string dir = mqtt_harness::TempDir();
  if (!cli.Start({VANTREL_CLI_BIN, "--port", sensor.SlavePath(), "watch", "--duration",
                  std::to_string(seconds)},
                 dir + "/cli.err"))
    return;
  const auto start = std::chrono::steady_clock::now();
  const auto since = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  mqtt_harness::WaitUntil([&] { return since() >= 2.0; }, 10.0);
  const double cpu0 = ProcessCpu(cli.Pid()), wall0 = since();
  mqtt_harness::WaitUntil([&] { return since() >= seconds - 0.5; }, seconds + 10.0);
  const double cpu1 = ProcessCpu(cli.Pid()), wall1 = since();
  cli.Wait(seconds + 10.0);
  std::filesystem::remove_all(dir);
  bench::Reference("watch_cpu_same_machine", 100.0 * (cpu1 - cpu0) / (wall1 - wall0), "% of a core",
                   "%.2f");
}

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv);
  const bool paced = RunOnce(options.quick ? 5.0 : 30.0, 0.0, true);
  WatchCpu(options.quick ? 5.0 : 30.0);
  // The Run goes on long enough after the outage for the reconnect (back-off
  // up to 5 s) and the queue to drain.
  const bool outage = RunOnce(options.quick ? 9.0 : 24.0, options.quick ? 2.0 : 10.0, true);
  return paced && outage ? 0 : 1;
}
