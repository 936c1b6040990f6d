// The simulated sensor's pictures do not change: a fixed sequence of requests
// (measurements with changing parameter sets, video passes, re-sent
// measurement words, both teaches) over more than three swings of the object
// gives replies whose digest was recorded from the model as first written.
// Any change to the line, the noise, the edges or the measured values changes
// the digest.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "sim/parameters.h"
#include "sim/sensor_model.h"
#include "tests/support/test_params.h"

namespace sim {
namespace {

struct DigestRow {
  const char* name;
  int ccd_type;
  uint64_t seed;
  double noise;
  std::vector<ParamWords> sets;  // taken in turn, each for 37 requests
  uint64_t digest;
};

// FNV-1a over every reply byte, in order.
void Fold(uint64_t* digest, const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) *digest = (*digest ^ b) * 0x100000001B3ull;
}

uint64_t ReplayScript(const DigestRow& row) {
  ModelConfig config;
  config.ccd_type = row.ccd_type;
  config.seed = row.seed;
  config.scene.noise = row.noise;
  SensorModel model(config);
  uint64_t digest = 0xCBF29CE484222325ull;
  Words last{};
  for (int i = 0; i < 800; ++i) {
    const Words& set = row.sets[static_cast<size_t>(i / 37) % row.sets.size()];
    if (i % 25 == 0) {  // a video pass, then the data loop's measurement
      for (uint16_t start : {0, 64, 128, 192, 256}) {
        Words block{};
        block[0] = start;
        Fold(&digest, model.Handle(kOrderData64, block));
      }
      Fold(&digest, model.Handle(kOrderMeasure, last));
    }
    if (i % 97 == 50) Fold(&digest, model.Handle(kOrderTeach, set));
    const std::vector<uint8_t> reply = model.Handle(kOrderMeasure, set);
    for (size_t w = 0; w < 16; ++w)
      last[w] = static_cast<uint16_t>((reply[4 + 2 * w] << 8) | reply[5 + 2 * w]);
    Fold(&digest, reply);
  }
  return digest;
}

TEST(ReplyDigest, SameRequestsGiveTheSameBytes) {
  using P = Param;
  const std::vector<DigestRow> rows = {
      {"ccd1-defaults",
       1,
       1,
       4.0,
       {TestParams(), TestParams({{P::kIGain, 0}}), TestParams({{P::kPwrMode, 1}})},
       0xe582a9e95aef531eull},
      {"ccd2-window-low-gain",
       2,
       7,
       4.0,
       {TestParams({{P::kCcdMode, 1}, {P::kPStart, 300}, {P::kIGain, 0}, {P::kEMode, 2}}),
        TestParams({{P::kPower, 900}, {P::kPwrMode, 1}, {P::kEMode, 3}, {P::kCcdMode, 2}})},
       0xb342a935fa08093aull},
      {"ccd3-picked-window",
       3,
       42,
       4.0,
       {TestParams({{P::kCcdMode, 2}, {P::kBMode, 1}, {P::kEEnd, 512}, {P::kEMode, 3}}),
        TestParams({{P::kPolarity, 0}, {P::kEEnd, 512}, {P::kVThd, 300}})},
       0x18a02f6172dbbd59ull},
      {"ccd1-taught-background",
       1,
       3,
       4.0,
       {TestParams({{P::kBMode, 2}, {P::kCcdMode, 2}, {P::kEMode, 1}}),
        TestParams({{P::kBMode, 2}, {P::kPower, 1000}, {P::kPwrMode, 1}, {P::kEBeg, 200}})},
       0x5aeba276c7e1be6aull},
      {"ccd2-noise-free-boost",
       2,
       5,
       0.0,
       {TestParams({{P::kPwrMode, 1}, {P::kIGain, 0}, {P::kEMode, 2}, {P::kPara15, 1200}}),
        TestParams({{P::kPower, 120}, {P::kVThd, 100}})},
       0xbce3abc741dfaf99ull},
  };
  for (const DigestRow& row : rows) {
    const uint64_t digest = ReplayScript(row);
    EXPECT_EQ(digest, row.digest) << row.name << ": 0x" << std::hex << digest;
  }
}

}  // namespace
}  // namespace sim
