#include "watch/qt/run_feed.h"

#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/vantrel.h"
#include "link/frame.h"
#include "monitor/frame_decode.h"
#include "monitor/line_entry.h"
#include "monitor/qt/line_monitor.h"

namespace watch {
namespace {

constexpr int kEndCheckMs = 100;

struct Feed {
  std::vector<RunObserver*> observers;
  bool inRun = false;
  double startMs = 0.0;
  // The last request sent outside a Run, until its reply or time-out: the Run
  // command sends its first request before it says a loop runs, so a loop
  // that runs when that answer comes started with that request.
  bool candidate = false;
  double candidateMs = 0.0;
  QTimer endCheck;
};

Feed* g_feed = nullptr;

template <class F>
void Tell(F&& call) {
  // A copy: an observer may remove itself while it is told.
  const std::vector<RunObserver*> observers = g_feed->observers;
  for (RunObserver* o : observers) call(o);
}

void EndRunIfStopped() {
  if (g_feed->inRun && stop_flag != 0) {
    g_feed->inRun = false;
    g_feed->endCheck.stop();
    Tell([](RunObserver* o) { o->RunEnded(); });
  }
}

void StartRun(double startMs) {
  g_feed->inRun = true;
  g_feed->endCheck.start();  // only during a Run: no wake-ups while the line is idle
  g_feed->candidate = false;
  g_feed->startMs = startMs;
  Tell([](RunObserver* o) { o->RunStarted(); });
}

void OnEntry(const monitor::LineEntry& entry, void*) {
  using monitor::EntryKind;
  if (entry.kind == EntryKind::kRequest) {
    EndRunIfStopped();
    if (g_feed->inRun) return;
    if (stop_flag == 0) {
      StartRun(entry.timeMs);
    } else {
      g_feed->candidate = true;
      g_feed->candidateMs = entry.timeMs;
    }
    return;
  }
  if (!g_feed->inRun) {
    if (entry.kind != EntryKind::kReply && entry.kind != EntryKind::kTimeout) return;
    // Only the Run command sends a Measure request while no loop runs: when
    // that first request goes unanswered, its loop has ended before the
    // time-out is seen, a Run without frames.
    const bool unansweredRun = entry.kind == EntryKind::kTimeout && entry.order == ORD_MEASURE;
    const bool started = g_feed->candidate && (stop_flag == 0 || unansweredRun);
    g_feed->candidate = false;
    if (!started) return;
    StartRun(g_feed->candidateMs);
  }
  if (entry.order != ORD_MEASURE) return;
  if (entry.kind == EntryKind::kTimeout) {
    Tell([](RunObserver* o) { o->TimedOut(); });
  } else if (entry.kind == EntryKind::kReply && monitor::IsAnswer(entry)) {
    RunFrame frame;
    frame.runMs = entry.timeMs - g_feed->startMs;
    for (int i = 0; i < fields::kMeasurementWords; ++i) {
      const size_t at = 4 + 2 * static_cast<size_t>(i);
      frame.words[i] = static_cast<uint16_t>(entry.bytes[at] << 8 | entry.bytes[at + 1]);
    }
    Tell([&frame](RunObserver* o) { o->FrameReceived(frame); });
  }
}

}  // namespace

void AddRunObserver(RunObserver* observer) {
  if (g_feed == nullptr) {
    g_feed = new Feed;
    g_feed->endCheck.setInterval(kEndCheckMs);
    QObject::connect(&g_feed->endCheck, &QTimer::timeout, [] { EndRunIfStopped(); });
    AddLineEntryListener(OnEntry, nullptr);
  }
  auto& observers = g_feed->observers;
  if (std::find(observers.begin(), observers.end(), observer) == observers.end())
    observers.push_back(observer);
}

void RemoveRunObserver(RunObserver* observer) {
  if (g_feed == nullptr) return;
  auto& observers = g_feed->observers;
  observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
  if (observers.empty()) {
    RemoveLineEntryListener(OnEntry, nullptr);
    delete g_feed;
    g_feed = nullptr;
  }
}

bool RunInProgress() {
  return g_feed != nullptr && g_feed->inRun;
}

}  // namespace watch
