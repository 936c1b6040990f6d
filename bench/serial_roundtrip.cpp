// Round trip of a 36-byte request and a 36-byte reply over a pseudo-terminal
// whose far side echoes at once (no line pacing): what the engine's serial path
// costs by itself, first with a direct read, then the way the program waits
// (receive notification inside event processing). Prints figures only.
//
//   bench_serial_roundtrip [--turns N]
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/figures.h"
#include "protocol/frame.h"
#include "protocol/orders.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

namespace {

constexpr int kPort = 1;
constexpr int kFrame = protocol::kFrameLength;
constexpr int kRounds = 2000;

// The far side: echoes every byte back until told to stop.
class EchoDevice {
 public:
  bool Open() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return false;
    slavePath_ = ptsname(master_);
    keeper_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    if (keeper_ < 0) return false;
    termios tio{};
    tcgetattr(keeper_, &tio);
    cfmakeraw(&tio);
    tcsetattr(keeper_, TCSANOW, &tio);
    thread_ = std::thread([this] { Run(); });
    return true;
  }
  ~EchoDevice() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (keeper_ >= 0) close(keeper_);
    if (master_ >= 0) close(master_);
  }
  const std::string& slavePath() const { return slavePath_; }

 private:
  void Run() {
    char buffer[4096];
    while (!stop_) {
      pollfd pfd{master_, POLLIN, 0};
      if (poll(&pfd, 1, 50) <= 0) continue;
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) continue;
      for (ssize_t done = 0; done < n;) {
        const ssize_t w = write(master_, buffer + done, n - done);
        if (w > 0) done += w;
      }
    }
  }
  int master_ = -1, keeper_ = -1;
  std::string slavePath_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

// Each way's round trips as figures: median, 99th percentile and worst in
// microseconds, and round trips per second from the mean.
void PrintFigures(const std::string& name, std::vector<double> seconds) {
  std::sort(seconds.begin(), seconds.end());
  double sum = 0;
  for (const double s : seconds) sum += s;
  const double mean = sum / static_cast<double>(seconds.size());
  bench::Reference((name + "_median").c_str(), seconds[seconds.size() / 2] * 1e6, "us", "%.1f");
  bench::Reference((name + "_p99").c_str(), seconds[seconds.size() * 99 / 100] * 1e6, "us", "%.1f");
  bench::Reference((name + "_max").c_str(), seconds.back() * 1e6, "us", "%.1f");
  bench::Reference((name + "_rate").c_str(), 1.0 / mean, "round_trips/s", "%.0f");
}

char g_reply[kFrame];
int g_replyFlag = 0;

void TakeReply(int port, int events, void*) {
  if (!(events & COM_EVENT_RECEIVE)) return;
  ComRd(port, g_reply, kFrame);
  g_replyFlag = 1;
  FlushInQ(port);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no window is shown
  bench::ParseOptions(argc, argv);
  if (!InitRuntime(argc, argv)) return 1;
  EchoDevice device;
  if (!device.Open()) {
    std::fprintf(stderr, "cannot open a pseudo-terminal\n");
    return 1;
  }
  if (OpenComConfig(kPort, device.slavePath().c_str(), 19200, 0, 8, 1, 4096, 4096) != 0) return 1;
  SetComTime(kPort, 2.0);

  char request[kFrame];
  for (int i = 0; i < kFrame; ++i) request[i] = static_cast<char>(i);
  std::vector<double> times;

  for (int i = 0; i < kRounds; ++i) {
    const double start = Timer();
    ComWrt(kPort, request, kFrame);
    char reply[kFrame];
    if (ComRd(kPort, reply, kFrame) != kFrame) {
      std::fprintf(stderr, "direct read: short reply in round %d\n", i);
      return 1;
    }
    times.push_back(Timer() - start);
  }
  PrintFigures("roundtrip_direct_read", times);

  InstallComCallback(kPort, COM_EVENT_RECEIVE | COM_EVENT_CHAR | COM_EVENT_TX_EMPTY, kFrame,
                     protocol::kRequestSync, TakeReply, nullptr);
  times.clear();
  for (int i = 0; i < kRounds; ++i) {
    FlushInQ(kPort);
    FlushOutQ(kPort);
    g_replyFlag = 0;
    const double start = Timer();
    ComWrt(kPort, request, kFrame);
    while (!g_replyFlag && Timer() - start <= protocol::kReplyLimit) ProcessSystemEvents();
    if (!g_replyFlag) {
      std::fprintf(stderr, "notification: no reply in round %d\n", i);
      return 1;
    }
    times.push_back(Timer() - start);
  }
  PrintFigures("roundtrip_notification", times);
  // The line's limit at 19200 baud: 72 bytes of 10 bits per round trip.
  bench::Reference("roundtrip_line_limit", 19200.0 / (2 * kFrame * 10), "round_trips/s", "%.1f");
  CloseCom(kPort);
  return 0;
}
