// The sensor model: every order's reply, the parameter stores, the scene's
// progress, the CCD modes and both kinds of teach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/parameters.h"
#include "sim/sensor_model.h"
#include "tests/support/test_params.h"

namespace sim {
namespace {

// A still object without noise: edges land where the geometry says (on a
// 1024-pixel line the shadow covers 435.2 .. 588.8).
ModelConfig Quiet(int ccd_type = 1) {
  ModelConfig config;
  config.ccd_type = ccd_type;
  config.scene.drift = 0;
  config.scene.noise = 0;
  return config;
}

Words Reply(const std::vector<uint8_t>& bytes) {
  Words w{};
  EXPECT_EQ(bytes.size(), kFrameBytes);
  for (size_t i = 0; i < 16 && bytes.size() == kFrameBytes; ++i) w[i] = WordAt(&bytes[4 + 2 * i]);
  return w;
}

Words Numbered() {
  Words w{};
  for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<uint16_t>(i * 3 + 1);
  return w;
}

std::vector<uint16_t> VideoPass(SensorModel* model) {
  std::vector<uint16_t> samples;
  for (uint16_t start : {0, 64, 128, 192}) {
    Words request{};
    request[0] = start;
    const auto bytes = model->Handle(kOrderData64, request);
    EXPECT_EQ(bytes.size(), kVideoBlockBytes);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) samples.push_back(WordAt(&bytes[i]));
  }
  return samples;
}

TEST(Orders, ReplyFormsAndLengths) {
  SensorModel model(Quiet());
  for (int order : {1, 3, 0, 11}) EXPECT_TRUE(model.Handle(order, Numbered()).empty()) << order;
  for (int order : {2, 4, 5, 6, 8, 10}) {
    const auto bytes = model.Handle(order, Numbered());
    ASSERT_EQ(bytes.size(), kFrameBytes) << order;
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4),
              (std::vector<uint8_t>{0x00, 0xAA, 0x00, static_cast<uint8_t>(order)}));
  }
  EXPECT_EQ(Reply(model.Handle(kOrderEchoCheck, Numbered())), Numbered());
  EXPECT_EQ(model.Handle(kOrderData64, Words{}).size(), kVideoBlockBytes);

  const auto firmware = model.Handle(kOrderFirmwareInfo, Words{});
  ASSERT_EQ(firmware.size(), kFirmwareBytes);
  EXPECT_EQ(std::string(firmware.begin(), firmware.begin() + 5), "Q-VOR");
}

TEST(Orders, CcdInformationPerType) {
  const Words expected[] = {{1, 1024, 78}, {2, 1024, 250}, {3, 512, 250}};
  for (int type = 1; type <= 3; ++type) {
    SensorModel model(Quiet(type));
    EXPECT_EQ(Reply(model.Handle(kOrderCcdInfo, Words{})), expected[type - 1]);
    EXPECT_EQ(model.Eeprom()[kEEnd], expected[type - 1][1]);  // window ends at the last pixel
  }
}

TEST(Stores, RamStartsAsEepromAndEachStoreKeepsWhatIsWritten) {
  EXPECT_EQ(SensorModel(Quiet(3)).Ram(), TestParams({{kEEnd, 512}}));
  Words eeprom = kTestParams;
  eeprom[kPower] = 321;
  SensorModel model(Quiet(), eeprom);
  EXPECT_EQ(Reply(model.Handle(kOrderReadRam, Words{})), eeprom);

  model.Handle(kOrderWriteRam, Numbered());
  EXPECT_EQ(Reply(model.Handle(kOrderReadRam, Words{})), Numbered());
  EXPECT_EQ(Reply(model.Handle(kOrderReadEeprom, Words{})), eeprom);

  std::vector<Words> written;
  model.OnEepromWrite([&](const Words& w) { written.push_back(w); });
  eeprom[kVThd] = 400;
  model.Handle(kOrderWriteEeprom, eeprom);
  EXPECT_EQ(Reply(model.Handle(kOrderReadEeprom, Words{})), eeprom);
  EXPECT_EQ(Reply(model.Handle(kOrderReadRam, Words{})), Numbered());  // RAM untouched
  EXPECT_EQ(written, std::vector<Words>{eeprom});
}

TEST(Measure, FindsTheObjectWithTheRamParameters) {
  for (int type : {1, 3}) {
    SensorModel model(Quiet(type));
    const double n = CcdPixels(type);
    const Words m = Reply(model.Handle(kOrderMeasure, Words{}));
    EXPECT_NEAR(m[0], n * 0.425, 1.5) << type;
    EXPECT_NEAR(m[1], n * 0.575, 1.5) << type;
    EXPECT_EQ(m[2], m[1]);  // default eMode 1: second edge
    EXPECT_EQ(m[3], 512);
    EXPECT_EQ(m[4], 100);
    EXPECT_EQ(m[5], 1);
    EXPECT_EQ(m[6], 2);
    EXPECT_GT(m[7], 512);  // lit at both ends
    EXPECT_GT(m[8], 512);
  }
}

TEST(Measure, RequestWordsCountOnlyWhenTheyFormAParameterSet) {
  SensorModel model(Quiet());
  Words params = kTestParams;
  params[kEMode] = 2;
  params[kPara15] = 1200;
  params[kTVal] = 444;
  const Words m = Reply(model.Handle(kOrderMeasure, params));
  EXPECT_EQ(model.Ram(), params);
  EXPECT_EQ(m[2], std::lround((m[1] - m[0]) * 1.2));  // in force at once
  EXPECT_EQ(m[3], 444);

  // Re-sent measurement words (the PC's data loop) or CCD words change nothing.
  model.Handle(kOrderMeasure, m);
  model.Handle(kOrderMeasure, Reply(model.Handle(kOrderCcdInfo, Words{})));
  EXPECT_EQ(model.Ram(), params);
}

TEST(Scene, AdvancesPerMeasurementAndPerVideoPass) {
  SensorModel model(ModelConfig{});  // moving and noisy
  model.Handle(kOrderMeasure, Words{});
  const uint64_t first = model.SceneStep();
  model.Handle(kOrderMeasure, Words{});
  EXPECT_EQ(model.SceneStep(), first + 1);

  const auto video = VideoPass(&model);
  EXPECT_EQ(model.SceneStep(), first + 1 + kVideoPassSteps);
  // The measurement after a video pass evaluates the line just sent: the
  // samples (pixels 1, 5, 9, ...) two or more pixels before its first edge
  // are lit, those two or more after it dark.
  const Words m = Reply(model.Handle(kOrderMeasure, Words{}));
  EXPECT_EQ(model.SceneStep(), first + 1 + kVideoPassSteps);
  EXPECT_GT(video[(m[0] - 3) / 4], 512);
  EXPECT_LT(video[(m[0] + 4) / 4], 512);
  model.Handle(kOrderMeasure, Words{});  // the next takes a new line
  EXPECT_EQ(model.SceneStep(), first + 2 + kVideoPassSteps);
}

TEST(Scene, SameSeedSameRepliesAndTheObjectDrifts) {
  auto data_loop = [](const ModelConfig& config) {
    SensorModel model(config);
    std::vector<std::vector<uint8_t>> replies;
    for (int pass = 0; pass < 40; ++pass) {  // 400 scene steps: more than one swing
      VideoPass(&model);
      replies.push_back(model.Handle(kOrderMeasure, Words{}));
    }
    return replies;
  };
  ModelConfig config;
  const auto trace = data_loop(config);
  EXPECT_EQ(trace, data_loop(config));
  config.seed = 99;
  EXPECT_NE(trace, data_loop(config));

  std::vector<int> first_edges;
  for (const auto& reply : trace) first_edges.push_back(Reply(reply)[0]);
  const auto [low, high] = std::minmax_element(first_edges.begin(), first_edges.end());
  EXPECT_GT(*high - *low, 300);
}

TEST(Video, BlocksAreQuartersOfOneLine) {
  SensorModel model(Quiet());
  const auto whole = VideoPass(&model);
  Words request{};
  request[0] = 128;  // alone: the same quarter of the same line
  const auto block = model.Handle(kOrderData64, request);
  for (size_t i = 0; i < 64; ++i) EXPECT_EQ(WordAt(&block[2 * i]), whole[128 + i]);
  request[0] = 250;  // past the 256 samples: zeros
  EXPECT_EQ(WordAt(&model.Handle(kOrderData64, request)[12]), 0);
  EXPECT_LT(whole[128], 200);  // shadow in the middle, lit ends
  EXPECT_GT(whole[10], 512);
  EXPECT_GT(whole[245], 512);
}

TEST(CcdModes, ReportedWindowAndSamplesPerMode) {
  SensorModel model(Quiet());
  Words params = kTestParams;
  params[kCcdMode] = 1;
  params[kPStart] = 300;  // window 300..555: the first edge only
  Words m = Reply(model.Handle(kOrderMeasure, params));
  EXPECT_EQ(m[5], 300);
  EXPECT_NEAR(m[0], 435.2, 1.5);
  EXPECT_EQ(m[1], 0);
  auto video = VideoPass(&model);
  EXPECT_GT(video[0], 512);    // pixel 300
  EXPECT_LT(video[200], 200);  // pixel 500

  params[kCcdMode] = 2;  // the sensor centres its window on the object
  m = Reply(model.Handle(kOrderMeasure, params));
  EXPECT_NEAR(m[5] + 128, 512, 2);
  EXPECT_EQ(m[6], 2);
  video = VideoPass(&model);
  EXPECT_LT(video[128], 200);
  EXPECT_GT(video[5], 512);

  params[kCcdMode] = 0;
  EXPECT_EQ(Reply(model.Handle(kOrderMeasure, params))[5], 1);
}

TEST(Teach, SetPointTakesTheMeasuredValueIntoRam) {
  SensorModel model(Quiet());
  Words params = kTestParams;
  params[kEMode] = 0;
  const Words m = Reply(model.Handle(kOrderMeasure, params));
  ASSERT_NE(m[0], params[kTVal]);  // so that the teach shows

  // The PC's set-point teach re-sends what it last received.
  const auto reply = model.Handle(kOrderTeach, m);
  EXPECT_EQ(reply[3], kOrderTeach);
  EXPECT_EQ(model.LastTeach(), TeachKind::kSetPoint);
  EXPECT_EQ(model.Ram()[kTVal], m[0]);
  EXPECT_EQ(Reply(reply), model.Ram());

  // Width mode teaches the width; the RAM set with background mode 0 is a
  // set-point teach too.
  params[kEMode] = 2;
  const Words w = Reply(model.Handle(kOrderMeasure, params));
  model.Handle(kOrderTeach, model.Ram());
  EXPECT_EQ(model.Ram()[kTVal], w[2]);

  // Nothing found in the window: the teach value stays.
  params[kEBeg] = 700;
  params[kTVal] = 321;
  model.Handle(kOrderMeasure, params);
  model.Handle(kOrderTeach, Words{});
  EXPECT_EQ(model.Ram()[kTVal], 321);
}

TEST(Teach, BackgroundTeachLearnsTheLightingAndFlattensTheLine) {
  SensorModel model(Quiet());
  Words params = kTestParams;
  params[kBMode] = 2;
  params[kVThd] = 480;
  const auto reply = model.Handle(kOrderTeach, params);
  EXPECT_EQ(model.LastTeach(), TeachKind::kBackground);
  EXPECT_EQ(model.Ram(), params);  // the panel's set is taken over
  EXPECT_EQ(Reply(reply), params);
  ASSERT_EQ(model.Background().size(), 1024u);

  params[kBMode] = 0;
  model.Handle(kOrderMeasure, params);
  const Line raw = model.CurrentLine();
  params[kBMode] = 2;
  const Words m = Reply(model.Handle(kOrderMeasure, params));
  const Line flat = model.CurrentLine();
  EXPECT_GT(raw[300] - raw[0], 120);            // the lighting falls off toward the end...
  EXPECT_LE(std::abs(flat[0] - flat[300]), 3);  // ...the taught background evens it out
  EXPECT_NEAR(m[0], 435.2, 1.5);
  EXPECT_NEAR(m[1], 588.8, 1.5);

  Words odd{};  // 2 in word 14 without a parameter set is no background teach
  odd[kBMode] = 2;
  model.Handle(kOrderTeach, odd);
  EXPECT_EQ(model.LastTeach(), TeachKind::kSetPoint);
}

}  // namespace
}  // namespace sim
