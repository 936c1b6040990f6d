// Leftover bytes after a raw reply. The firmware and video-block readers
// flush and then match a reply by time alone, so bytes that trail a raw reply
// (or a garbage burst before the next reply) can arrive after the reader's
// flush and become the start of the next 36-byte frame. This measures how
// often that happens against the simulated sensor, paced like a 19200-baud
// line, with its trailing-bytes and garbage faults: how many 36-byte
// exchanges right after a raw reply took in a frame that was not the reply.
//
//   bench_leftover_bytes [--quick]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "app/vantrel.h"
#include "bench/figures.h"
#include "link/datablock.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/sensorinfo.h"
#include "param/params.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "sim/sim_thread.h"

namespace {

const std::array<uint16_t, 16> kRam = {640, 1, 480, 64, 1, 0, 20, 900, 300, 40, 1, 1, 0, 1, 2, 950};

bool PackageIsRam() {
  for (int i = 0; i < PNUM; ++i)
    if (pp[i] != kRam[i]) return false;
  return true;
}

// After the firmware query, the CCD query: its reply must carry echo 10 and
// 1024 pixels.
bool FirmwareThenCcdShifted() {
  GetVERSIONInfo();
  return GetCCDInfo() != 1 || ccdmaxpixel != 1024;
}

// After a video block, a parameter read: its reply must be the RAM set.
bool BlockThenParametersShifted() {
  RemoveReceiveNotification();
  ReadData64(0, 0);
  InstallReceiveNotification();
  PushGET(RAM);
  return !PackageIsRam();
}

// Two parameter reads in a row, no raw reply: the reference for the garbage
// fault, whose bursts precede every reply, raw or not.
bool ParametersThenParametersShifted() {
  PushGET(RAM);
  PushGET(RAM);
  return !PackageIsRam();
}

// Lets the line fall quiet and empties the input queue, so that no case
// inherits bytes still in flight from the one before.
void Drain() {
  const double until = Timer() + 0.5;
  while (Timer() < until) ProcessSystemEvents();
  FlushInQ(com);
}

void Measure(const char* name, const std::function<void(sim::Faults&)>& fault,
             const std::function<bool()>& trial, int trials, sim::SimThread& sensor) {
  Drain();
  sensor.Update([&](sim::Config& c) {
    c.faults = sim::Faults{};
    fault(c.faults);
  });
  int shifted = 0;
  for (int i = 0; i < trials; ++i) shifted += trial() ? 1 : 0;
  sensor.Update([](sim::Config& c) { c.faults = sim::Faults{}; });
  Drain();
  char label[128];
  std::snprintf(label, sizeof label, "%s_shifted", name);
  bench::Reference(label, 100.0 * shifted / trials, "%", "%.1f");
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv);
  const int trials = options.quick ? 10 : 100;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);

  sim::Config config;
  config.paced = true;
  sim::SimThread sensor(config);
  sensor.SetRam(kRam);
  std::string error;
  if (!sensor.Start(&error)) {
    std::fprintf(stderr, "simulated sensor: %s\n", error.c_str());
    return 1;
  }
  setenv("VANTREL_COM1", sensor.SlavePath().c_str(), 1);
  const char* resource = std::getenv("VANTREL_UIR");
  if (StartUp(argc, argv, resource ? resource : VANTREL_SOURCE_UIR) != 0) return 1;

  std::printf("trials %d per case, paced at 19200 baud\n", trials);
  auto none = [](sim::Faults&) {};
  auto trailing = [](sim::Faults& f) { f.trailing = 4; };
  auto garbage = [](sim::Faults& f) { f.garbage_every = 1; };
  Measure("firmware_then_ccd_clean", none, FirmwareThenCcdShifted, trials, sensor);
  Measure("block_then_parameters_clean", none, BlockThenParametersShifted, trials, sensor);
  Measure("firmware_then_ccd_trailing4", trailing, FirmwareThenCcdShifted, trials, sensor);
  Measure("firmware_then_ccd_garbage", garbage, FirmwareThenCcdShifted, trials, sensor);
  Measure("block_then_parameters_trailing4", trailing, BlockThenParametersShifted, trials, sensor);
  Measure("block_then_parameters_garbage", garbage, BlockThenParametersShifted, trials, sensor);
  Measure("parameters_then_parameters_trailing4", trailing, ParametersThenParametersShifted, trials,
          sensor);
  Measure("parameters_then_parameters_garbage", garbage, ParametersThenParametersShifted, trials,
          sensor);

  ShutDown();
  sensor.Stop();
  return 0;
}
