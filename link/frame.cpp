#include "link/frame.h"

namespace com232 {
int32_t sync = 0x55;
}
int32_t order = 1;
char szWriteBuf[BUF_LEN] = {};
char szReadBuf[BUF_LEN] = {};

namespace {
void PutWord(char* buffer, int offset, uint32_t word) {
  buffer[offset] = static_cast<char>((word >> 8) & 0xFF);
  buffer[offset + 1] = static_cast<char>(word & 0xFF);
}
}  // namespace

void FillTxBuf(uint16_t orderCode, const uint16_t* words) {
  PutWord(szWriteBuf, 0, static_cast<uint32_t>(com232::sync));
  PutWord(szWriteBuf, 2, orderCode);
  for (int i = 0; i < PNUM; ++i) PutWord(szWriteBuf, 4 + 2 * i, words[i]);
}

uint16_t WordAt(const char* buffer, int offset) {
  const unsigned high = static_cast<unsigned char>(buffer[offset]);
  const unsigned low = static_cast<unsigned char>(buffer[offset + 1]);
  return static_cast<uint16_t>(high * 256 + low);
}

void GetRxBuf(int count) {
  if (count > PNUM) count = PNUM;  // pp holds PNUM words, no more
  for (int i = 0; i < count; ++i) pp[i] = WordAt(szReadBuf, 4 + 2 * i);
}

int ReplyAnswers(const char* reply, int orderCode) {
  if (WordAt(reply, 2) != static_cast<uint16_t>(orderCode)) return 0;
  if (orderCode == ORD_ECHO_CHECK) return 1;
  return WordAt(reply, 0) == RXSYNC ? 1 : 0;
}
