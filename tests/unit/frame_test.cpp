// Request and reply frames: byte layout, big-endian words, what reaches pp.
#include <gtest/gtest.h>

#include <cstring>

#include "link/data_block.h"
#include "link/frame.h"
#include "link/sensor_info.h"
#include "param/params.h"

namespace {
unsigned Byte(const char* buffer, int i) {
  return static_cast<unsigned char>(buffer[i]);
}
}  // namespace

TEST(Frame, RequestCarriesSyncOrderAndPackageHighByteFirst) {
  com232::sync = 0x55;
  for (int i = 0; i < PNUM; ++i) pp[i] = static_cast<uint16_t>(0x1200 + i * 0x0101);
  pp[3] = 0x1234;
  std::memset(szWriteBuf, 0x7E, sizeof szWriteBuf);
  FillTxBuf(ORD_ECHO_CHECK, pp);
  EXPECT_EQ(Byte(szWriteBuf, 0), 0x00u);
  EXPECT_EQ(Byte(szWriteBuf, 1), 0x55u);
  EXPECT_EQ(Byte(szWriteBuf, 2), 0x00u);
  EXPECT_EQ(Byte(szWriteBuf, 3), 0x05u);
  EXPECT_EQ(Byte(szWriteBuf, 4 + 6), 0x12u);  // word 3
  EXPECT_EQ(Byte(szWriteBuf, 5 + 6), 0x34u);
  for (int i = 0; i < PNUM; ++i) {
    EXPECT_EQ(Byte(szWriteBuf, 4 + 2 * i) * 256 + Byte(szWriteBuf, 5 + 2 * i), pp[i]) << i;
  }
  EXPECT_EQ(Byte(szWriteBuf, FRAME_LEN), 0x7Eu) << "nothing written beyond the 36 bytes";
}

TEST(Frame, OnlyTheLowSixteenBitsOfSyncAndOrderGoOnTheLine) {
  com232::sync = 0x12355;
  FillTxBuf(0xFF0A, pp);
  EXPECT_EQ(Byte(szWriteBuf, 0), 0x23u);
  EXPECT_EQ(Byte(szWriteBuf, 1), 0x55u);
  EXPECT_EQ(Byte(szWriteBuf, 2), 0xFFu);
  EXPECT_EQ(Byte(szWriteBuf, 3), 0x0Au);
  com232::sync = 0x55;
}

TEST(Frame, ReplyWordsReachThePackageUnsignedAndHeaderIsIgnored) {
  std::memset(szReadBuf, 0, FRAME_LEN);
  szReadBuf[0] = static_cast<char>(0xAB);  // sync and echo must not reach pp
  szReadBuf[1] = static_cast<char>(0xCD);
  szReadBuf[2] = static_cast<char>(0xEF);
  szReadBuf[3] = static_cast<char>(0x01);
  szReadBuf[4] = 0x03;
  szReadBuf[5] = static_cast<char>(0xFF);
  szReadBuf[34] = static_cast<char>(0xFF);
  szReadBuf[35] = static_cast<char>(0xFE);
  for (auto& word : pp) word = 0x5A5A;
  GetRxBuf(PNUM);
  EXPECT_EQ(pp[0], 1023);
  EXPECT_EQ(pp[15], 0xFFFE);
  for (int i = 1; i < 15; ++i) EXPECT_EQ(pp[i], 0) << i;
}

// A count beyond the package must not write past it (the sanitizer build
// catches an overflow here); the package itself is still filled.
TEST(Frame, DecodingMoreWordsThanThePackageHoldsStopsAtThePackage) {
  for (int i = 0; i < FRAME_LEN + 200; ++i) szReadBuf[i] = static_cast<char>(i);
  const float scaleBefore = scaleF;
  GetRxBuf(PNUM + 100);
  EXPECT_EQ(pp[PNUM - 1], WordAt(szReadBuf, 4 + 2 * (PNUM - 1)));
  EXPECT_EQ(scaleF, scaleBefore);
}

TEST(Frame, WordAtTakesBytesUnsigned) {
  const char bytes[] = {static_cast<char>(0x80), static_cast<char>(0xFF)};
  EXPECT_EQ(WordAt(bytes, 0), 0x80FF);
}

TEST(Frame, AReplyAnswersOnlyItsOwnRequest) {
  struct Row {
    uint16_t sync, echo;
    int awaited;
    int answers;
  };
  const Row rows[] = {
      {0x00AA, 2, 2, 1},      {0x00AA, 8, 8, 1},
      {0x00AA, 10, 10, 1},    {0x0055, 2, 2, 0},  // wrong sync
      {0x00AA, 1, 2, 0},                          // wrong echo
      {0x00AA, 8, 6, 0},                          // a measurement while a teach is awaited
      {0x00AA, 10, 8, 0},                         // the CCD reply of a nested bring-up in a Run
      {0xEEEE, 0x00AA, 2, 0},                     // out of step after stray bytes
      {0x0055, 5, 5, 1},                          // the line check judges its sync itself
      {0x00AA, 4, 5, 0},
  };
  for (const Row& r : rows) {
    char reply[FRAME_LEN] = {};
    reply[0] = static_cast<char>(r.sync >> 8);
    reply[1] = static_cast<char>(r.sync & 0xFF);
    reply[2] = static_cast<char>(r.echo >> 8);
    reply[3] = static_cast<char>(r.echo & 0xFF);
    EXPECT_EQ(ReplyAnswers(reply, r.awaited), r.answers)
        << r.sync << " " << r.echo << " " << r.awaited;
  }
}

TEST(Frame, RawRepliesAreTakenOnlyAsWhatTheyMustBe) {
  char text[FIRMWARE_REPLY_LEN] = {};
  std::memcpy(text, "FW 2.07", 7);
  EXPECT_EQ(IsFirmwareText(text, FIRMWARE_REPLY_LEN), 1);
  text[40] = 'x';  // text again after the padding
  EXPECT_EQ(IsFirmwareText(text, FIRMWARE_REPLY_LEN), 0);
  text[40] = 0;
  text[0] = 0x02;  // a control code: a frame's header, not text
  EXPECT_EQ(IsFirmwareText(text, FIRMWARE_REPLY_LEN), 0);

  char block[DATA_REPLY_LEN] = {};
  block[126] = 0x03;
  block[127] = static_cast<char>(0xFF);  // 1023, the highest level
  EXPECT_EQ(IsVideoBlock(block), 1);
  block[126] = 0x04;
  block[127] = 0x00;  // 1024
  EXPECT_EQ(IsVideoBlock(block), 0);
}
