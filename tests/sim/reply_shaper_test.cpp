// Pacing and every fault switch, at the byte-stream level: which bytes are
// sent, and not before when.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim/protocol.h"
#include "sim/reply_shaper.h"

namespace sim {
namespace {

std::vector<uint8_t> FrameReply(int order) {
  Words w{};
  for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<uint16_t>(0x0100 + i);
  return EncodeFrame(kReplySync, static_cast<uint16_t>(order), w);
}

std::vector<uint8_t> Flatten(const std::vector<OutputChunk>& chunks) {
  std::vector<uint8_t> bytes;
  for (const auto& c : chunks) bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end());
  return bytes;
}

// What one reply becomes with these switches (request complete at 1.0, now 1.0).
std::vector<OutputChunk> ShapeOne(const std::vector<uint8_t>& reply, const Faults& faults,
                                  bool paced = false) {
  ReplyShaper shaper(1);
  shaper.SetSwitches(paced, faults);
  std::vector<OutputChunk> out;
  shaper.Shape(reply, 1.0, 1.0, &out);
  return out;
}

TEST(Pacing, UnpacedAtOncePacedOneByteTimeApart) {
  auto out = ShapeOne(FrameReply(2), {});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].due, 1.0);
  EXPECT_EQ(out[0].bytes, FrameReply(2));
  EXPECT_TRUE(ShapeOne({}, {}, true).empty());  // orders without a reply

  ReplyShaper shaper(1);
  shaper.SetSwitches(true, {});
  out.clear();
  shaper.Shape(FrameReply(2), 1.0, 0.99, &out);  // request's last byte on the line at 1.0
  ASSERT_EQ(out.size(), 36u);
  for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i].due, 1.0 + (i + 1) * kByteTime, 1e-9);
  EXPECT_EQ(Flatten(out), FrameReply(2));
  // Request (36 bytes) plus reply (36 bytes): 37.5 ms at 19200 baud.
  EXPECT_NEAR(out.back().due - (1.0 - 36 * kByteTime), 0.0375, 1e-9);

  std::vector<OutputChunk> next;  // a second reply does not overtake the first
  shaper.Shape(std::vector<uint8_t>(128, 7), 1.001, 1.001, &next);
  EXPECT_NEAR(next.front().due, out.back().due + kByteTime, 1e-9);
}

TEST(Faults, SilenceWrongSyncWrongEchoTrailing) {
  Faults f;
  f.silent = true;
  EXPECT_TRUE(ShapeOne(FrameReply(5), f).empty());

  f = Faults{};
  f.wrong_sync = true;
  auto expected = FrameReply(5);
  expected[1] = 0x55;
  EXPECT_EQ(Flatten(ShapeOne(FrameReply(5), f)), expected);
  const std::vector<uint8_t> raw(72, 0x41);
  EXPECT_EQ(Flatten(ShapeOne(raw, f)), raw);  // raw replies have no header to spoil

  f = Faults{};
  f.wrong_echo = true;
  expected = FrameReply(10);
  expected[3] = 9;
  EXPECT_EQ(Flatten(ShapeOne(FrameReply(10), f)), expected);

  f = Faults{};
  f.trailing = 4;
  expected = FrameReply(2);
  expected.insert(expected.end(), 4, kTrailingByte);
  EXPECT_EQ(Flatten(ShapeOne(FrameReply(2), f)), expected);
}

TEST(Faults, DropEveryNthReplyCountsAfreshWhenChanged) {
  Faults f;
  f.drop_every = 3;
  ReplyShaper shaper(1);
  shaper.SetSwitches(false, f);
  std::vector<bool> sent;
  for (int i = 0; i < 7; ++i) {
    std::vector<OutputChunk> out;
    shaper.Shape(FrameReply(2), 0, 0, &out);
    sent.push_back(!out.empty());
    shaper.Shape({}, 0, 0, &out);  // orders without a reply are not counted
  }
  EXPECT_EQ(sent, (std::vector<bool>{true, true, false, true, true, false, true}));

  f.drop_every = 2;
  shaper.SetSwitches(false, f);
  std::vector<OutputChunk> first, second;
  shaper.Shape(FrameReply(2), 0, 0, &first);
  shaper.Shape(FrameReply(2), 0, 0, &second);
  EXPECT_FALSE(first.empty());
  EXPECT_TRUE(second.empty());
}

TEST(Faults, DelayAndDribbleMoveTheBytesLater) {
  Faults f;
  f.delay_ms = 250;
  EXPECT_NEAR(ShapeOne(FrameReply(2), f).front().due, 1.25, 1e-9);
  EXPECT_NEAR(ShapeOne(FrameReply(2), f, true).front().due, 1.25 + kByteTime, 1e-9);

  f = Faults{};
  f.dribble = true;
  f.dribble_gap_us = 3000;
  for (bool paced : {false, true}) {
    const auto out = ShapeOne(FrameReply(8), f, paced);
    ASSERT_EQ(out.size(), 36u);
    for (size_t i = 1; i < out.size(); ++i) EXPECT_GE(out[i].due - out[i - 1].due, 0.003 - 1e-9);
    EXPECT_EQ(Flatten(out), FrameReply(8));
  }
}

TEST(Faults, GarbagePrecedesEveryNthReplyReproducibly) {
  Faults f;
  f.garbage_every = 2;
  auto run = [&] {
    ReplyShaper shaper(1);
    shaper.SetSwitches(false, f);
    std::vector<std::vector<uint8_t>> sent;
    for (int i = 0; i < 4; ++i) {
      std::vector<OutputChunk> out;
      shaper.Shape(FrameReply(8), 0, 0, &out);
      sent.push_back(Flatten(out));
    }
    return sent;
  };
  const auto sent = run();
  EXPECT_EQ(sent[0], FrameReply(8));
  EXPECT_EQ(sent[2], FrameReply(8));
  for (size_t i : {1u, 3u}) {
    ASSERT_GT(sent[i].size(), 36u);
    EXPECT_LE(sent[i].size(), 36u + 16u);
    EXPECT_TRUE(std::equal(sent[i].end() - 36, sent[i].end(), FrameReply(8).begin()));
  }
  EXPECT_EQ(run(), sent);
}

TEST(Faults, HangUpComesOnceAfterTheNthRequestsReply) {
  Faults f;
  f.hangup_after = 3;
  f.wrong_sync = true;  // switches combine
  ReplyShaper shaper(1);
  shaper.SetSwitches(true, f);
  std::vector<OutputChunk> out;
  shaper.Shape(FrameReply(5), 1.0, 1.0, &out);
  shaper.Shape({}, 1.1, 1.1, &out);  // a write order counts as a request
  EXPECT_FALSE(std::any_of(out.begin(), out.end(), [](const auto& c) { return c.hang_up; }));
  shaper.Shape(FrameReply(2), 1.2, 1.2, &out);
  ASSERT_TRUE(out.back().hang_up);
  EXPECT_GE(out.back().due, out[out.size() - 2].due);
  EXPECT_EQ(Flatten(out).size(), 72u);
  EXPECT_EQ(Flatten(out)[37], 0x55);
  shaper.Shape(FrameReply(2), 1.3, 1.3, &out);
  EXPECT_EQ(std::count_if(out.begin(), out.end(), [](const auto& c) { return c.hang_up; }), 1);
}

}  // namespace
}  // namespace sim
