#include "tests/fuzz/fake_line.h"

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <vector>

#include "runtime/rs232.h"
#include "runtime/testing/inspect.h"
#include "runtime/testing/serial_inspect.h"

namespace {

constexpr double kClockStep = 0.02;  // seconds per clock read
constexpr double kDelayStep = 0.02;  // seconds per unit of a chunk's delay

struct Chunk {
  bool afterWrite = false;
  double delay = 0.0;
  std::vector<uint8_t> bytes;
};

struct Line {
  bool open = false;
  int openResult = 0;
  std::deque<Chunk> script;
  double nextBase = 0.0;  // time the next chunk's delay counts from
  int writesAtBase = 0;   // writes made when nextBase was set
  double lastWriteTime = 0.0;
  std::vector<uint8_t> input;  // readable bytes
  int writes = 0;
  double now = 0.0;

  ComCallbackPtr fn = nullptr;
  int mask = 0;
  int notifyCount = 0;
  void* data = nullptr;
  bool arrived = false;  // bytes arrived since the last notification check
} g;

// Moves every chunk that is due at time `t` into the input queue.
void Deliver(double t) {
  g.now = t;
  while (!g.script.empty()) {
    const Chunk& next = g.script.front();
    double base = g.nextBase;
    if (next.afterWrite) {
      if (g.writes == g.writesAtBase) return;  // its clock starts with the next write
      base = g.lastWriteTime;
    }
    if (t < base + next.delay) return;
    if (g.open) {
      g.input.insert(g.input.end(), next.bytes.begin(), next.bytes.end());
      g.arrived = true;
    }
    g.nextBase = base + next.delay;
    g.writesAtBase = g.writes;
    g.script.pop_front();
  }
}

void Notify() {
  if (!g.open || g.fn == nullptr || !g.arrived) return;
  g.arrived = false;
  if ((g.mask & COM_EVENT_RECEIVE) != 0 && static_cast<int>(g.input.size()) >= g.notifyCount)
    g.fn(1, COM_EVENT_RECEIVE, g.data);
}

}  // namespace

namespace fakeline {

void Install() {
  SetTestTimer(0.0, kClockStep);
  OnTestTimerRead([](double reported) { Deliver(reported); });
  auto* timer = new QTimer();
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, [] { Notify(); });
  timer->start();
}

void Reset(const uint8_t* script, size_t size, int openResult) {
  g = Line{};
  g.openResult = openResult;
  size_t at = 0;
  while (at + 2 <= size) {
    Chunk c;
    c.afterWrite = (script[at] & 0x80) != 0;
    c.delay = (script[at] & 0x7F) * kDelayStep;
    const size_t length = std::min<size_t>(script[at + 1], size - at - 2);
    c.bytes.assign(script + at + 2, script + at + 2 + length);
    g.script.push_back(std::move(c));
    at += 2 + length;
  }
  SetTestTimer(0.0, kClockStep);
}

int Writes() {
  return g.writes;
}

}  // namespace fakeline

// ---- The engine's serial operations over the script ---------------------------

int OpenComConfig(int port, const char*, long, int, int, int, int, int) {
  if (port != 1) return RS232_NO_SERIAL_PORT;
  if (g.openResult < 0) return g.openResult;
  g.open = true;
  g.input.clear();
  return 0;
}

int CloseCom(int) {
  g.open = false;
  g.fn = nullptr;
  g.input.clear();
  return 0;
}

int SetComTime(int, double) {
  return g.open ? 0 : RS232_PORT_NOT_OPEN;
}
int SetCTSMode(int, int) {
  return g.open ? 0 : RS232_PORT_NOT_OPEN;
}

int InstallComCallback(int, int eventMask, int notifyCount, int, ComCallbackPtr fn, void* data) {
  if (!g.open) return RS232_PORT_NOT_OPEN;
  g.fn = eventMask == 0 ? nullptr : fn;
  g.mask = eventMask;
  g.notifyCount = notifyCount;
  g.data = data;
  g.arrived = true;  // bytes already waiting count as arrived for the new notification
  return 0;
}

int ComWrt(int, const char*, int count) {
  if (!g.open) return RS232_PORT_NOT_OPEN;
  ++g.writes;
  g.lastWriteTime = g.now;
  return count;
}

int ComRd(int, char* buffer, int count) {
  if (!g.open) return RS232_PORT_NOT_OPEN;
  const int n = std::min<int>(std::max(count, 0), static_cast<int>(g.input.size()));
  std::copy(g.input.begin(), g.input.begin() + n, buffer);
  g.input.erase(g.input.begin(), g.input.begin() + n);
  return n;
}

int GetInQLen(int) {
  return g.open ? static_cast<int>(g.input.size()) : RS232_PORT_NOT_OPEN;
}

int FlushInQ(int) {
  if (!g.open) return RS232_PORT_NOT_OPEN;
  g.input.clear();
  return 0;
}

int FlushOutQ(int) {
  return g.open ? 0 : RS232_PORT_NOT_OPEN;
}

long InspectComErrorReports(int) {
  return 0;
}
