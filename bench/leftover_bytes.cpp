// Leftover bytes after a raw reply. The firmware and video-block readers
// flush and then match a reply by time alone, so bytes that trail a raw reply
// (or a garbage burst before the next reply) can arrive after the reader's
// flush and become the start of the next 36-byte frame. This measures how
// often that happens against the simulated sensor, paced like a 19200-baud
// line, with its trailing-bytes and garbage faults: how many 36-byte
// exchanges right after a raw reply took in a frame that was not the reply
// ("garbage": must stay 0, the reply check discards such frames) and how many
// got no answer because of it ("lost": the exchange ends in its time-out).
//
//   bench_leftover_bytes [--quick] [--turns N]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "app/vantrel.h"
#include "bench/figures.h"
#include "link/data_block.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/testing/resource_path.h"
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

enum class Outcome { kAnswered, kLost, kGarbage };

// After the firmware query, the CCD query: its reply must carry echo 10 and
// 1024 pixels.
Outcome FirmwareThenCcd() {
  GetVERSIONInfo();
  if (GetCCDInfo() != 1) return Outcome::kLost;
  return ccdmaxpixel == 1024 ? Outcome::kAnswered : Outcome::kGarbage;
}

// A parameter read: its reply must be the RAM set.
Outcome ParameterRead() {
  PushGET(RAM);
  if (rx_flag != 1) return Outcome::kLost;
  return PackageIsRam() ? Outcome::kAnswered : Outcome::kGarbage;
}

// After a video block, a parameter read.
Outcome BlockThenParameters() {
  RemoveReceiveNotification();
  ReadData64(0, 0);
  InstallReceiveNotification();
  return ParameterRead();
}

// Two parameter reads in a row, no raw reply: the reference for the garbage
// fault, whose bursts precede every reply, raw or not.
Outcome ParametersThenParameters() {
  PushGET(RAM);
  return ParameterRead();
}

// Lets the line fall quiet and empties the input queue, so that no case
// inherits bytes still in flight from the one before.
void Drain() {
  const double until = Timer() + 0.5;
  while (Timer() < until) ProcessSystemEvents();
  FlushInQ(com);
}

void Measure(const char* name, const std::function<void(sim::Faults&)>& fault,
             const std::function<Outcome()>& trial, int trials, sim::SimThread& sensor) {
  Drain();
  sensor.Update([&](sim::Config& c) {
    c.faults = sim::Faults{};
    fault(c.faults);
  });
  int lost = 0, garbage = 0;
  for (int i = 0; i < trials; ++i) {
    const Outcome outcome = trial();
    lost += outcome == Outcome::kLost ? 1 : 0;
    garbage += outcome == Outcome::kGarbage ? 1 : 0;
  }
  sensor.Update([](sim::Config& c) { c.faults = sim::Faults{}; });
  Drain();
  char label[128];
  std::snprintf(label, sizeof label, "%s_garbage", name);
  bench::Reference(label, 100.0 * garbage / trials, "%", "%.1f");
  std::snprintf(label, sizeof label, "%s_lost", name);
  bench::Reference(label, 100.0 * lost / trials, "%", "%.1f");
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv);
  // Quick (CI): enough to see that every case runs; the firmware cases wait
  // out a raw reply each, about 2 s a trial.
  const int trials = options.quick ? 3 : 100;
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
  if (StartUp(argc, argv, PanelResourcePath()) != 0) return 1;

  std::printf("trials %d per case, paced at 19200 baud\n", trials);
  auto none = [](sim::Faults&) {};
  auto trailing = [](sim::Faults& f) { f.trailing = 4; };
  auto garbage = [](sim::Faults& f) { f.garbage_every = 1; };
  Measure("firmware_then_ccd_clean", none, FirmwareThenCcd, trials, sensor);
  Measure("block_then_parameters_clean", none, BlockThenParameters, trials, sensor);
  Measure("firmware_then_ccd_trailing4", trailing, FirmwareThenCcd, trials, sensor);
  Measure("firmware_then_ccd_garbage", garbage, FirmwareThenCcd, trials, sensor);
  Measure("block_then_parameters_trailing4", trailing, BlockThenParameters, trials, sensor);
  Measure("block_then_parameters_garbage", garbage, BlockThenParameters, trials, sensor);
  Measure("parameters_then_parameters_trailing4", trailing, ParametersThenParameters, trials,
          sensor);
  Measure("parameters_then_parameters_garbage", garbage, ParametersThenParameters, trials, sensor);

  ShutDown();
  sensor.Stop();
  return 0;
}
