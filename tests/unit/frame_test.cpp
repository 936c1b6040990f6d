// Request and reply frames: byte layout, big-endian words, what reaches pp.
#include <gtest/gtest.h>

#include <cstring>

#include "link/frame.h"
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
