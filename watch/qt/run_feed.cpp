#include "watch/qt/run_feed.h"

#include <algorithm>
#include <vector>

#include "app/program_events.h"

namespace watch {
namespace {

struct Feed {
  std::vector<RunObserver*> observers;
  bool inRun = false;
  bool lostTheSensor = false;  // how the last Run ended
  double startTime = 0.0;      // Timer() seconds of the Run's start
  ProgramObserver program;
};

Feed* g_feed = nullptr;

template <class F>
void Tell(F&& call) {
  // A copy: an observer may remove itself while it is told.
  const std::vector<RunObserver*> observers = g_feed->observers;
  for (RunObserver* o : observers) call(o);
}

void LoopStarted(void*, int32_t, double time) {
  g_feed->inRun = true;
  g_feed->startTime = time;
  Tell([](RunObserver* o) { o->RunStarted(); });
}

void FrameAccepted(void*, const AcceptedFrame& accepted) {
  if (!g_feed->inRun) return;
  RunFrame frame;
  frame.runMs = (accepted.time - g_feed->startTime) * 1000.0;
  std::copy_n(accepted.words, fields::kMeasurementWords, frame.words.begin());
  Tell([&frame](RunObserver* o) { o->FrameReceived(frame); });
}

void TimedOut(void*, double) {
  if (g_feed->inRun) Tell([](RunObserver* o) { o->TimedOut(); });
}

void LoopEnded(void*, int32_t, int32_t why) {
  if (!g_feed->inRun) return;
  g_feed->inRun = false;
  g_feed->lostTheSensor = why == LOOP_END_PORT_LOST;
  Tell([](RunObserver* o) { o->RunEnded(); });
}

}  // namespace

void AddRunObserver(RunObserver* observer) {
  if (g_feed == nullptr) {
    g_feed = new Feed;
    g_feed->program.loopStarted = LoopStarted;
    g_feed->program.frameAccepted = FrameAccepted;
    g_feed->program.measurementTimedOut = TimedOut;
    g_feed->program.loopEnded = LoopEnded;
    AddProgramObserver(&g_feed->program);
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
    RemoveProgramObserver(&g_feed->program);
    delete g_feed;
    g_feed = nullptr;
  }
}

bool RunInProgress() {
  return g_feed != nullptr && g_feed->inRun;
}

bool LastRunLostTheSensor() {
  return g_feed != nullptr && g_feed->lostTheSensor;
}

}  // namespace watch
