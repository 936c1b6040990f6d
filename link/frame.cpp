#include "link/frame.h"

namespace com232 {
int32_t sync = TXSYNC;
}
int32_t order = ORD_WRITE_RAM;
char szWriteBuf[BUF_LEN] = {};
char szReadBuf[BUF_LEN] = {};

void FillTxBuf(uint16_t orderCode, const uint16_t* words) {
  // Only the low 16 bits of the sync variable go on the line.
  protocol::WriteFrame(AsBytes(szWriteBuf), static_cast<uint16_t>(com232::sync), orderCode, words);
}

uint16_t WordAt(const char* buffer, int offset) {
  return protocol::WordAt(AsBytes(buffer) + offset);
}

void GetRxBuf(int count) {
  if (count > PNUM) count = PNUM;  // pp holds PNUM words, no more
  for (int i = 0; i < count; ++i) pp[i] = protocol::FrameWord(AsBytes(szReadBuf), i);
}

int ReplyAnswers(const char* reply, int orderCode) {
  return protocol::ReplyAnswers(AsBytes(reply), orderCode) ? 1 : 0;
}
