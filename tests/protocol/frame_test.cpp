// The sensor's frames and rules: the request's bytes, words on the line, which
// reply answers which request, and what the raw replies must be.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "protocol/frame.h"
#include "protocol/orders.h"
#include "protocol/raw_replies.h"

namespace protocol {
namespace {

TEST(Frame, RequestCarriesSyncOrderAndWordsHighByteFirst) {
  Words words{};
  words[0] = 0x01F4;
  words[15] = 0xABCD;
  const std::vector<uint8_t> frame = EncodeRequest(kEchoCheck, words);
  ASSERT_EQ(frame.size(), 36u);
  EXPECT_EQ((std::vector<uint8_t>(frame.begin(), frame.begin() + 6)),
            (std::vector<uint8_t>{0x00, 0x55, 0x00, 0x05, 0x01, 0xF4}));
  EXPECT_EQ(frame[34], 0xAB);
  EXPECT_EQ(frame[35], 0xCD);
}

TEST(Frame, WordAtTakesBytesUnsigned) {
  const uint8_t bytes[] = {0x80, 0xFF};
  EXPECT_EQ(WordAt(bytes), 0x80FF);
}

TEST(Frame, AReplyAnswersOnlyItsOwnRequest) {
  struct Row {
    uint16_t sync, echo;
    int awaited;
    bool answers;
  };
  const Row rows[] = {
      {0x00AA, 2, 2, true},       {0x00AA, 8, 8, true},
      {0x00AA, 10, 10, true},     {0x0055, 2, 2, false},  // wrong sync
      {0x00AA, 1, 2, false},                              // wrong echo
      {0x00AA, 8, 6, false},                              // a measurement while a teach is awaited
      {0x00AA, 10, 8, false},      // the CCD reply of a nested bring-up in a Run
      {0xEEEE, 0x00AA, 2, false},  // out of step after stray bytes
      {0x0055, 5, 5, true},        // the line check judges its sync itself
      {0x00AA, 4, 5, false},
  };
  for (const Row& r : rows) {
    uint8_t reply[kFrameLength] = {};
    PutWord(reply, r.sync);
    PutWord(reply + 2, r.echo);
    EXPECT_EQ(ReplyAnswers(reply, r.awaited), r.answers)
        << r.sync << " " << r.echo << " " << r.awaited;
  }
}

TEST(Frame, RawRepliesAreTakenOnlyAsWhatTheyMustBe) {
  uint8_t text[kFirmwareReplyLength] = {};
  std::memcpy(text, "FW 2.07", 7);
  EXPECT_TRUE(IsFirmwareText(text, kFirmwareReplyLength));
  text[40] = 'x';  // text again after the padding
  EXPECT_FALSE(IsFirmwareText(text, kFirmwareReplyLength));
  text[40] = 0;
  text[0] = 0x02;  // a control code: a frame's header, not text
  EXPECT_FALSE(IsFirmwareText(text, kFirmwareReplyLength));

  uint8_t block[kVideoBlockLength] = {};
  block[126] = 0x03;
  block[127] = 0xFF;  // 1023, the highest level
  EXPECT_TRUE(IsVideoBlock(block));
  block[126] = 0x04;
  block[127] = 0x00;  // 1024
  EXPECT_FALSE(IsVideoBlock(block));
}

}  // namespace
}  // namespace protocol
