// Byte-level encoding of replies and the framing of incoming requests.
#include <gtest/gtest.h>

#include <vector>

#include "sim/protocol.h"
#include "sim/request_framer.h"

namespace sim {
namespace {

Words Counting() {
  Words w{};
  for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<uint16_t>(0x0101 * i + 0x1200);
  return w;
}

TEST(ReplyEncoding, FrameAndFirmwareTextBytes) {
  Words w{};
  w[0] = 0x1234;
  w[15] = 0x03FF;
  const auto frame = EncodeFrame(kReplySync, 10, w);
  ASSERT_EQ(frame.size(), kFrameBytes);
  EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 6),
            (std::vector<uint8_t>{0x00, 0xAA, 0x00, 0x0A, 0x12, 0x34}));
  EXPECT_EQ(WordAt(&frame[34]), 1023);

  const auto text = EncodeFirmwareText("AB C");
  ASSERT_EQ(text.size(), kFirmwareBytes);
  EXPECT_EQ(WordAt(&text[0]), ('A' << 8) | 'B');  // two characters per word, high byte first
  EXPECT_EQ(WordAt(&text[2]), (' ' << 8) | 'C');
  for (size_t i = 4; i < text.size(); ++i) EXPECT_EQ(text[i], 0) << i;
  EXPECT_EQ(EncodeFirmwareText(std::string(80, 'x')).size(), kFirmwareBytes);
}

TEST(RequestFraming, GarbageBeforeARequestIsSkipped) {
  RequestFramer framer;
  std::vector<FramedRequest> out;
  // Near misses: a lone 00, 00 55 with order 0, 00 55 00 0B (no such order),
  // 00 55 with a non-zero high order byte.
  std::vector<uint8_t> bytes = {0xFF, 0x00, 0x13, 0x00, 0x55, 0x00, 0x00, 0x00,
                                0x55, 0x00, 0x0B, 0x00, 0x55, 0x01, 0x02, 0x55};
  const size_t garbage = bytes.size();
  for (uint8_t b : EncodeRequest(2, Counting())) bytes.push_back(b);
  framer.Feed(bytes.data(), bytes.size(), 0.0, &out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].order, 2);
  EXPECT_EQ(out[0].words, Counting());
  EXPECT_EQ(framer.DiscardedBytes(), garbage);
  EXPECT_EQ(out[0].skipped, garbage);
  EXPECT_EQ(framer.Pending(), 0u);

  // Each request counts only the bytes dropped right before it.
  std::vector<uint8_t> stream = {0x01};
  for (uint8_t b : EncodeRequest(5, Words{})) stream.push_back(b);
  stream.push_back(0xFF);
  stream.push_back(0xFE);
  for (uint8_t b : EncodeRequest(8, Counting())) stream.push_back(b);
  out.clear();
  RequestFramer fresh;
  fresh.Feed(stream.data(), stream.size(), 0.0, &out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].skipped, 1u);
  EXPECT_EQ(out[1].skipped, 2u);
}

TEST(RequestFraming, RequestSplitAnywhereIsCompletedByLaterBytes) {
  const auto request = EncodeRequest(5, Counting());
  for (size_t split = 1; split < request.size(); ++split) {
    RequestFramer framer;
    std::vector<FramedRequest> out;
    framer.Feed(request.data(), split, 1.0, &out);
    EXPECT_TRUE(out.empty()) << "split at " << split;
    framer.Feed(request.data() + split, request.size() - split, 2.0, &out);
    ASSERT_EQ(out.size(), 1u) << "split at " << split;
    EXPECT_EQ(out[0].words, Counting());
    EXPECT_EQ(out[0].first_byte, 1.0);
    EXPECT_EQ(out[0].last_byte, 2.0);
  }
}

TEST(RequestFraming, BackToBackRequestsByteByByte) {
  std::vector<uint8_t> stream;
  for (int order = 1; order <= 10; ++order) {
    for (uint8_t b : EncodeRequest(order, Counting())) stream.push_back(b);
  }
  // Words that look like a header stay inside their frame.
  Words tricky{};
  tricky[0] = 0x0055;
  tricky[1] = 0x0008;
  for (uint8_t b : EncodeRequest(1, tricky)) stream.push_back(b);

  RequestFramer framer;
  std::vector<FramedRequest> out;
  for (size_t i = 0; i < stream.size(); ++i) {
    const double t = static_cast<double>(i);
    framer.Feed(&stream[i], &t, 1, &out);
  }
  ASSERT_EQ(out.size(), 11u);
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(out[i].order, static_cast<int>(i + 1));
    EXPECT_EQ(out[i].first_byte, 36.0 * i);
    EXPECT_EQ(out[i].last_byte, 36.0 * i + 35);
  }
  EXPECT_EQ(out[10].words, tricky);
}

}  // namespace
}  // namespace sim
