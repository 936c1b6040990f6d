// One video block read against a line that answers what the test scripts:
// the request on the wire, where the words land, and the outcome texts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/rs232.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/scripted_sensor.h"

namespace {
using Words = ScriptedSensor::Words;

class DataBlock : public OperatedProgram {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line_.ok());
    ASSERT_NO_FATAL_FAILURE(StartOn(line_.slavePath()));
    RemoveReceiveNotification();
  }
  std::vector<uint8_t> Answer(uint16_t order, const Words& words) {
    switch (order) {
      case 2:
        return ScriptedSensor::Frame(0x00AA, 2, Words{});
      case 5:
        return ScriptedSensor::Frame(0x00AA, 5, words);
      case 7:
        return ScriptedSensor::Text("block test", 72);
      case 10:
        return ScriptedSensor::Frame(0x00AA, 10, Words{1, 1024, 78});
      case 9: {
        std::lock_guard<std::mutex> lock(mutex_);
        blockWords_ = words;
        return blockReply_;
      }
      default:
        return {};
    }
  }
  void ReplyWith(std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    blockReply_ = std::move(bytes);
  }
  Words LastBlockRequest() {
    std::lock_guard<std::mutex> lock(mutex_);
    return blockWords_;
  }
  // `count` bytes: word i is 0x0300 + i, the first one 0x03FF.
  static std::vector<uint8_t> Reply(size_t count) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; bytes.size() < count; ++i) {
      const uint16_t word = static_cast<uint16_t>(i == 0 ? 0x03FF : 0x0300 + i);
      bytes.push_back(static_cast<uint8_t>(word >> 8));
      bytes.push_back(static_cast<uint8_t>(word & 0xFF));
    }
    bytes.resize(count);
    return bytes;
  }

  std::mutex mutex_;
  std::vector<uint8_t> blockReply_;
  Words blockWords_{};
  ScriptedSensor line_{[this](uint16_t order, const Words& words) { return Answer(order, words); }};
};
}  // namespace

TEST_F(DataBlock, ABlockOf128BytesLandsAtItsStart) {
  ReplyWith(Reply(128));
  for (uint16_t& sample : adcbuf) sample = 5;
  const std::vector<std::string> before = InspectShownTexts(panelHandle, TEXT_Status);
  EXPECT_EQ(ReadData64(64, 0), 1);

  // Request: 00 55 00 09 00 40 00 00, then zeros.
  const char expected[8] = {0x00, 0x55, 0x00, 0x09, 0x00, 0x40, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(szWriteBuf, expected, 8), 0);
  for (int i = 8; i < 36; ++i) EXPECT_EQ(szWriteBuf[i], 0) << i;
  EXPECT_EQ(LastBlockRequest(), (Words{64, 0}));
  EXPECT_EQ(order, 9);
  EXPECT_EQ(nBytesW, 36);
  EXPECT_EQ(nBytesR, 128);

  EXPECT_EQ(adcbuf[63], 5);
  EXPECT_EQ(adcbuf[64], 1023);
  for (int i = 1; i < 64; ++i) ASSERT_EQ(adcbuf[64 + i], 0x0300 + i) << i;
  EXPECT_EQ(adcbuf[128], 5);

  std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  shown.erase(shown.begin(), shown.begin() + static_cast<long>(before.size()));
  EXPECT_EQ(shown,
            (std::vector<std::string>{"Waiting for Data[64] ...", "Data[64] block received!"}));
}

TEST_F(DataBlock, TheLastBlockCarriesItsFlag) {
  ReplyWith(Reply(128));
  ReadData64(192, 1);
  EXPECT_EQ(LastBlockRequest(), (Words{192, 1}));
  EXPECT_EQ(adcbuf[192], 1023);
  EXPECT_EQ(adcbuf[255], 0x0300 + 63);
}

TEST_F(DataBlock, MoreThan128BytesAreAllReadAndTheStatusKeepsItsText) {
  ReplyWith(Reply(140));
  SetStatusText("earlier text");
  ReadData64(0, 0);
  EXPECT_EQ(nBytesR, 140);
  EXPECT_EQ(adcbuf[0], 1023);
  EXPECT_EQ(adcbuf[63], 0x0300 + 63);
  EXPECT_EQ(StatusLine(), "earlier text");
  EXPECT_EQ(GetInQLen(com), 0);
}

TEST_F(DataBlock, AShortOrGarbledReplyLeavesTheBlocksWordsAsTheyWere) {
  ReplyWith(Reply(128));
  ReadData64(0, 0);
  for (int i = 0; i < 64; ++i) adcbuf[128 + i] = 7;
  // Now 100 bytes only: no word of them is taken, nor of the buffer's last reply.
  std::vector<uint8_t> shortReply(100, 0x01);
  ReplyWith(shortReply);
  // The clock stands still until the 100 bytes are in, then runs.
  SetTestTimer(20.0);
  OnTestTimerRead([](double) {
    if (GetInQLen(com) >= 100) AdvanceTestTimer(0.25);
  });
  ReadData64(128, 0);
  EXPECT_DOUBLE_EQ(tdiff, 1.75) << "1.5 s itself is not yet a time-out";
  EXPECT_EQ(nBytesR, 100);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(adcbuf[128 + i], 7) << i;
  EXPECT_EQ(StatusLine(), "Timeout-RS-232 while reading 64 data-words!");
  ReleaseTestTimer();

  // 128 bytes shifted by stray bytes: a word above the levels' 1023.
  std::vector<uint8_t> shifted = Reply(128);
  shifted[127] = 0x04;
  shifted[126] = 0x04;
  ReplyWith(shifted);
  ReadData64(128, 0);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(adcbuf[128 + i], 7) << i;
  EXPECT_EQ(StatusLine(), "Data[64] block rejected: not 64 video levels");
}

TEST_F(DataBlock, AStartOffTheLineStoresTheBlockAtTheNearestEndOfTheBuffer) {
  ReplyWith(Reply(128));
  for (uint16_t& sample : adcbuf) sample = 5;
  ReadData64(300, 0);
  EXPECT_EQ(LastBlockRequest(), (Words{300, 0})) << "the request carries the start as given";
  EXPECT_EQ(adcbuf[191], 5);
  EXPECT_EQ(adcbuf[192], 1023);
  EXPECT_EQ(adcbuf[255], 0x0300 + 63);
  ReadData64(-1, 0);
  EXPECT_EQ(LastBlockRequest(), (Words{0xFFFF, 0}));
  EXPECT_EQ(adcbuf[0], 1023);
}
