#include "link/data_block.h"

#include <algorithm>

#include "display/status.h"
#include "link/frame.h"
#include "link/port.h"
#include "link/port_loss.h"
#include "link/reply_wait.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"
#include "runtime/utility.h"

uint16_t adcbuf[VIDEO_SAMPLES] = {};
int32_t ref_flag = 0;
int32_t videoLineRead = 0;

namespace {
// The block request has a layout of its own and never carries the package.
void BuildBlockRequest(int start, int last) {
  const protocol::Words words = protocol::BlockRequestWords(start, last);
  protocol::WriteFrame(AsBytes(szWriteBuf), static_cast<uint16_t>(com232::sync), ORD_DATA64,
                       words.data());
}
}  // namespace

int ReadData64(int start, int last) {
  order = ORD_DATA64;
  FlushOutQ(com);
  FlushInQ(com);
  BuildBlockRequest(start, last);
  WriteFrame(com);
  // The device went away (the write said so): no reply can come, and the
  // Data loop ends on it.
  if (PortLost() == 1) return 1;
  // A running Data loop keeps "Data[64] block received!" standing while its
  // blocks come in; the wait is announced after a block that did not.
  if (StatusShows("Data[64] block received!") == 0) ShowStatus("Waiting for Data[64] ...");

  int waiting = 0;
  tstart = Timer();
  SetWaitDeadline(tstart + TIMEOUT);
  for (;;) {
    ProcessSystemEvents();
    waiting = GetInQLen(com);
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) {
      SetStatusText("Timeout-RS-232 while reading 64 data-words!");
      break;
    }
    if (waiting >= DATA_REPLY_LEN) break;
    if (PortLost() == 1) return 1;  // gone while waiting: likewise
  }

  nBytesR = 0;
  if (waiting > 0) nBytesR = ComRd(com, szReadBuf, std::min(waiting, static_cast<int>(BUF_LEN)));
  // Only a whole block of levels replaces the block's words: a short reply, or
  // stray bytes ahead of it that shift its words, would draw bytes of another
  // kind as video. Bytes trailing a whole block do not matter.
  if (nBytesR >= DATA_REPLY_LEN && IsVideoBlock(szReadBuf) == 1) {
    if (nBytesR == DATA_REPLY_LEN) SetStatusText("Data[64] block received!");
    const int first = std::clamp(start, 0, VIDEO_SAMPLES - DATA_BLOCK_WORDS);
    for (int i = 0; i < DATA_BLOCK_WORDS; ++i) adcbuf[first + i] = WordAt(szReadBuf, 2 * i);
    videoLineRead = 1;
  } else if (nBytesR >= DATA_REPLY_LEN) {
    SetStatusText("Data[64] block rejected: not 64 video levels");
  }
  if (StatusShows(szStatus) == 0) ShowStatusText();
  return 1;
}

int IsVideoBlock(const char* bytes) {
  return protocol::IsVideoBlock(AsBytes(bytes)) ? 1 : 0;
}
