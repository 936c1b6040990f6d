// The simulated sensor's own speed, so that it is never what limits an
// unpaced loop: measurement requests (order 8, with a parameter set as the
// Run loop sends them) answered per second by the model alone (request bytes
// in, reply bytes out), then by its server behind a pty, unpaced, to a bare
// poll/read/write loop on this process's other thread. The scene drifts and
// is noisy, as in the demo.
//
//   bench_sim_throughput [--quick] [--turns N]
#include <string>
#include <vector>

#include "bench/bare_exchange.h"
#include "bench/figures.h"
#include "sim/config.h"
#include "sim/parameters.h"
#include "sim/request_framer.h"
#include "sim/sensor_model.h"
#include "sim/sim_thread.h"

namespace {

// Requests framed from bytes and answered for `seconds`, with one video pass
// (blocks 0..3) before each measurement when `video` is set; returns
// measurement replies per second.
double ModelRate(double seconds, bool video) {
  sim::ModelConfig config;
  sim::SensorModel model(config);
  sim::RequestFramer framer;
  const std::vector<uint8_t> measure =
      sim::EncodeRequest(sim::kOrderMeasure, sim::DefaultParameters(config.ccd_type));
  std::vector<std::vector<uint8_t>> blocks;
  for (uint16_t start : {0, 64, 128, 192}) {
    sim::Words words{};
    words[0] = start;
    blocks.push_back(sim::EncodeRequest(sim::kOrderData64, words));
  }
  std::vector<sim::FramedRequest> framed;
  size_t reply_bytes = 0;
  long replies = 0;
  const double start = bench::MonotonicSeconds();
  double now = start;
  while (now - start < seconds) {
    for (int i = 0; i < 64; ++i) {
      framed.clear();
      if (video)
        for (const auto& block : blocks) framer.Feed(block.data(), block.size(), 0.0, &framed);
      framer.Feed(measure.data(), measure.size(), 0.0, &framed);
      for (const auto& request : framed)
        reply_bytes += model.Handle(request.order, request.words).size();
      ++replies;
    }
    now = bench::MonotonicSeconds();
  }
  if (reply_bytes == 0) return -1;
  return static_cast<double>(replies) / (now - start);
}

// Measurement exchanges per second with the server behind a pty, unpaced.
double PtyRate(double seconds) {
  sim::Config config;
  config.paced = false;
  sim::SimThread sensor(config);
  std::string error;
  if (!sensor.Start(&error)) {
    std::fprintf(stderr, "the simulated sensor did not start: %s\n", error.c_str());
    return -1;
  }
  return bench::BareExchangeRate(sensor.SlavePath(), seconds);
}

}  // namespace

int main(int argc, char** argv) {
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 1.0 : 3.0;
  const double model = ModelRate(seconds, false);
  const double pty = PtyRate(seconds);
  if (model <= 0 || pty <= 0) return 1;
  bench::AtLeast("sim_model_replies", model, "replies/s", 20000, "%.0f");
  // One exchange at a time: the pty's hand-over and two wake-ups count too.
  bench::AtLeast("sim_pty_replies", pty, "replies/s", 20000, "%.0f");
  bench::Reference("sim_model_video_passes", ModelRate(seconds, true), "passes/s", "%.0f");
  return 0;
}
