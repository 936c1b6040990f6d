#include "protocol/raw_replies.h"

#include "protocol/frame.h"
#include "protocol/orders.h"

namespace protocol {

int FirmwareTextLength(const uint8_t* bytes, int count) {
  int length = 0;
  while (length < count && bytes[length] != 0) ++length;
  return length;
}

bool IsFirmwareText(const uint8_t* bytes, int count) {
  const int length = FirmwareTextLength(bytes, count);
  for (int i = 0; i < length; ++i) {
    if (bytes[i] < 0x20 || bytes[i] == 0x7F) return false;
  }
  for (int i = length; i < count; ++i) {
    if (bytes[i] != 0) return false;  // text again after the padding
  }
  return true;
}

bool IsVideoBlock(const uint8_t* bytes) {
  for (int i = 0; i < kVideoBlockWords; ++i) {
    if (WordAt(bytes + 2 * i) > kVideoLevelMax) return false;
  }
  return true;
}

}  // namespace protocol
