// What the program told its observers (app/program_events.h), one line per
// event, in order: "opened 1 /dev/pts/3", "read 1 500 0 512 ...", "loop 1",
// "frames 12" (consecutive frames counted), "timeout", "ended 1 1",
// "operation 6", "lost 1", "back 1", "sent 2 ...".
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/program_events.h"

class EventTranscript {
 public:
  EventTranscript() {
    observer_.context = this;
    observer_.loopStarted = [](void* t, int32_t loop, double) { Add(t, "loop", loop); };
    observer_.frameAccepted = [](void* t, const AcceptedFrame& frame) {
      auto* self = static_cast<EventTranscript*>(t);
      self->lastFrame = std::vector<uint16_t>(frame.words, frame.words + PARAMETER_WORDS);
      if (self->lines.empty() || self->lines.back().rfind("frames ", 0) != 0) self->frames = 0;
      if (self->frames++ > 0) self->lines.pop_back();
      self->lines.push_back("frames " + std::to_string(self->frames));
    };
    observer_.measurementTimedOut = [](void* t, double) { Add(t, "timeout"); };
    observer_.loopEnded = [](void* t, int32_t loop, int32_t why) { Add(t, "ended", loop, why); };
    observer_.portOpened = [](void* t, int32_t port, const char* device) {
      Add(t, "opened " + std::to_string(port) + " " + device);
    };
    observer_.portLost = [](void* t, int32_t port) { Add(t, "lost", port); };
    observer_.portBack = [](void* t, int32_t port) { Add(t, "back", port); };
    observer_.parametersRead = [](void* t, int32_t store, const uint16_t* set) {
      Add(t, "read " + std::to_string(store) + Words(set));
    };
    observer_.parametersSent = [](void* t, int32_t store, const uint16_t* set) {
      Add(t, "sent " + std::to_string(store) + Words(set));
    };
    observer_.operationChanged = [](void* t, int32_t operation) { Add(t, "operation", operation); };
    AddProgramObserver(&observer_);
  }
  ~EventTranscript() { RemoveProgramObserver(&observer_); }

  static std::string Words(const uint16_t* set) {
    std::string text;
    for (int i = 0; i < PARAMETER_WORDS; ++i) text += " " + std::to_string(set[i]);
    return text;
  }
  // The lines so far, then forgotten.
  std::vector<std::string> Take() { return std::exchange(lines, {}); }

  std::vector<std::string> lines;
  std::vector<uint16_t> lastFrame;
  int frames = 0;

 private:
  static void Add(void* t, const std::string& what, int a = -1, int b = -1) {
    std::string line = what;
    if (a >= 0) line += " " + std::to_string(a);
    if (b >= 0) line += " " + std::to_string(b);
    static_cast<EventTranscript*>(t)->lines.push_back(line);
  }
  ProgramObserver observer_;
};
