// What the program's events cost (app/program_events.h): telling a frame
// accepted with no observer (every Run without features), with one, and with
// the table full; adding and removing an observer. The Run loop's own rate
// with no observer is bench_run_loop's.
//
//   bench_program_events [--quick] [--turns N]
#include <cstdint>

#include "app/program_events.h"
#include "app/program_events_tell.h"
#include "bench/figures.h"

namespace {

long g_told = 0;

void Count(void*, const AcceptedFrame& frame) {
  g_told += frame.words[0];
}

// Nanoseconds of this process's CPU per frame told, over `count` frames (CPU
// time: a shared machine's other work does not count).
double FrameCost(long count) {
  uint16_t words[PARAMETER_WORDS] = {1};
  const double start = bench::CpuSeconds();
  for (long i = 0; i < count; ++i) TellFrameAccepted(words, static_cast<double>(i));
  return (bench::CpuSeconds() - start) * 1e9 / static_cast<double>(count);
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv);
  const long count = options.quick ? 2'000'000 : 20'000'000;

  // No observer: what a Run without features pays for each frame.
  bench::AtMost("events_frame_no_observer", FrameCost(count), "ns/frame", 20.0, "%.2f");

  ProgramObserver observers[MAX_PROGRAM_OBSERVERS];
  for (ProgramObserver& o : observers) o.frameAccepted = Count;
  AddProgramObserver(&observers[0]);
  bench::Reference("events_frame_one_observer", FrameCost(count), "ns/frame", "%.2f");
  for (ProgramObserver& o : observers) AddProgramObserver(&o);
  bench::Reference("events_frame_full_table", FrameCost(count / 4), "ns/frame", "%.2f");

  // Registration: a feature window opened and closed, a recording armed.
  const long turns = options.quick ? 200'000 : 2'000'000;
  for (ProgramObserver& o : observers) RemoveProgramObserver(&o);
  const double start = bench::CpuSeconds();
  for (long i = 0; i < turns; ++i) {
    AddProgramObserver(&observers[i % MAX_PROGRAM_OBSERVERS]);
    RemoveProgramObserver(&observers[i % MAX_PROGRAM_OBSERVERS]);
  }
  bench::AtMost("events_add_and_remove",
                (bench::CpuSeconds() - start) * 1e9 / static_cast<double>(turns), "ns", 1000.0,
                "%.1f");
  return g_told > 0 ? 0 : 1;
}
