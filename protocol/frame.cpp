#include "protocol/frame.h"

#include "protocol/orders.h"

namespace protocol {

void WriteFrame(uint8_t* frame, uint16_t sync, uint16_t order, const uint16_t* words) {
  PutWord(frame, sync);
  PutWord(frame + 2, order);
  for (int i = 0; i < kFrameWords; ++i) PutWord(frame + kHeaderLength + 2 * i, words[i]);
}

std::vector<uint8_t> EncodeFrame(uint16_t sync, uint16_t order, const Words& words) {
  std::vector<uint8_t> frame(kFrameLength);
  WriteFrame(frame.data(), sync, order, words.data());
  return frame;
}

std::vector<uint8_t> EncodeRequest(int order, const Words& words) {
  return EncodeFrame(kRequestSync, static_cast<uint16_t>(order), words);
}

Words BlockRequestWords(int start, int last) {
  Words words{};
  words[0] = static_cast<uint16_t>(start);
  words[1] = static_cast<uint16_t>(last);
  return words;
}

Words DecodeWords(const uint8_t* frame) {
  Words words{};
  for (int i = 0; i < kFrameWords; ++i) words[i] = FrameWord(frame, i);
  return words;
}

bool ReplyAnswers(const uint8_t* frame, int order) {
  if (OrderOf(frame) != static_cast<uint16_t>(order)) return false;
  return order == kEchoCheck || SyncOf(frame) == kReplySync;
}

}  // namespace protocol
