#include "monitor/frame_decode.h"

#include <cctype>
#include <cstdio>

#include "fields/words.h"
#include "protocol/frame.h"
#include "protocol/orders.h"

namespace monitor {

namespace {

using protocol::OrderName;

int WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return protocol::WordAt(bytes.data() + offset);
}

// Word i (0..15) of a whole frame.
int FrameWord(const std::vector<uint8_t>& bytes, int i) {
  return protocol::FrameWord(bytes.data(), i);
}

std::string Hex4(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
  return text;
}

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "name value, name value, ..." for the 16 parameter words of a frame, from
// byte 4 on.
std::string NamedWords(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (int i = 0; i < fields::kParameterWords; ++i) {
    if (i > 0) text += ", ";
    text += fields::kParameters[i].name;
    text += ' ';
    text += std::to_string(FrameWord(bytes, i));
  }
  return text;
}

std::string WordList(const std::vector<uint8_t>& bytes) {
  std::string text = "words";
  for (int i = 0; i < protocol::kFrameWords; ++i) text += " " + std::to_string(FrameWord(bytes, i));
  return text;
}

std::string DescribeRequest(const LineEntry& entry) {
  const std::vector<uint8_t>& bytes = entry.bytes;
  std::string text = OrderName(entry.order);
  if (bytes.size() < static_cast<size_t>(protocol::kFrameLength)) {
    return text + ": incomplete request: " + std::to_string(bytes.size()) + " of " +
           std::to_string(protocol::kFrameLength) + " bytes";
  }
  const int sync = protocol::SyncOf(bytes.data());
  if (sync != protocol::kRequestSync) text += " (sync " + Hex4(sync) + ")";
  if (entry.order == protocol::kData64) {
    return text + ": start " + std::to_string(FrameWord(bytes, 0)) + ", last " +
           std::to_string(FrameWord(bytes, 1));
  }
  return text + ": " + NamedWords(bytes);
}

// Latin-1 up to the first NUL, written as UTF-8; control bytes escaped.
std::string FirmwareText(const std::vector<uint8_t>& bytes, size_t length) {
  std::string text = "\"";
  size_t i = 0;
  for (; i < length && bytes[i] != 0; ++i) {
    const uint8_t c = bytes[i];
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else if (c >= 0xA0) {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      text += escaped;
    }
  }
  text += '"';
  for (; i < length; ++i) {
    if (bytes[i] != 0) return text + ", text after the padding";
  }
  return text;
}

// A word's label inside a sentence: its first letter in lower case.
std::string InlineLabel(const char* label) {
  std::string text = label;
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

// The words up to the edge count by their labels; the two end levels as one
// pair, the way the scope compares them.
std::string MeasurementWords(const std::vector<uint8_t>& bytes) {
  constexpr int kLabelledWords = 7;
  std::string text;
  for (int i = 0; i < kLabelledWords; ++i) {
    text += InlineLabel(fields::kMeasurement[i].label);
    text += ' ';
    text += std::to_string(FrameWord(bytes, i));
    text += ", ";
  }
  return text + "end levels " + std::to_string(FrameWord(bytes, 7)) + "/" +
         std::to_string(FrameWord(bytes, 8));
}

// The words of a whole 36-byte reply that answers its request.
std::string FrameReplyWords(int order, const std::vector<uint8_t>& bytes) {
  switch (order) {
    case protocol::kReadRam:
    case protocol::kReadEeprom:
    case protocol::kTeach:
      return NamedWords(bytes);
    case protocol::kEchoCheck:
      return "sync " + Hex4(protocol::SyncOf(bytes.data())) + ", " + NamedWords(bytes);
    case protocol::kMeasure:
      return MeasurementWords(bytes);
    case protocol::kCcdInfo:
      return "CCD type " + std::to_string(FrameWord(bytes, 0)) + ", pixel count " +
             std::to_string(FrameWord(bytes, 1)) + ", resolution " +
             std::to_string(FrameWord(bytes, 2));
    default:
      return WordList(bytes);
  }
}

std::string DescribeReply(const LineEntry& entry) {
  const std::vector<uint8_t>& bytes = entry.bytes;
  const size_t expected = static_cast<size_t>(protocol::ReplyLength(entry.order));
  // Bytes that answer nothing: no request before them, an order that awaits
  // no reply, or bytes after the reply was whole (the log gives them no
  // response time).
  if (entry.order == 0) return "stray bytes: " + Count(bytes.size(), "byte", "bytes");
  if (expected == 0 || entry.responseMs < 0) {
    return "stray bytes after " + OrderName(entry.order) + ": " +
           Count(bytes.size(), "byte", "bytes");
  }
  std::string text = OrderName(entry.order) + " reply: ";
  if (bytes.size() < expected) {
    return text + "incomplete: " + std::to_string(bytes.size()) + " of " +
           std::to_string(expected) + " bytes";
  }
  const protocol::ReplyKind kind = protocol::ReplyKindOf(entry.order);
  if (kind == protocol::ReplyKind::kFirmwareText) {
    text += FirmwareText(bytes, expected);
  } else if (kind == protocol::ReplyKind::kVideoBlock) {
    text += "start " + std::to_string(entry.value) + ", first " + std::to_string(WordAt(bytes, 0)) +
            ", last " + std::to_string(WordAt(bytes, expected - 2));
  } else if (IsAnswer(entry)) {
    text += FrameReplyWords(entry.order, bytes);
  } else {
    text += "not an answer: sync " + Hex4(protocol::SyncOf(bytes.data())) + ", echo " +
            std::to_string(protocol::OrderOf(bytes.data()));
  }
  if (bytes.size() > expected) {
    text += "; then stray bytes: " + Count(bytes.size() - expected, "byte", "bytes");
  }
  return text;
}

std::string Discarded(const char* what, size_t count) {
  if (count == 0) return what;
  return std::string(what) + ": " + Count(count, "byte", "bytes") + " discarded";
}

}  // namespace

std::string HexBytes(const std::vector<uint8_t>& bytes, bool grouped) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (grouped && i > 0 && i % 2 == 0) text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

bool IsAnswer(const LineEntry& reply) {
  const size_t expected = static_cast<size_t>(protocol::ReplyLength(reply.order));
  if (reply.kind != EntryKind::kReply || reply.order == 0 || expected == 0) return false;
  if (reply.responseMs < 0 || reply.bytes.size() < expected) return false;
  // Raw replies carry no header to judge.
  if (protocol::ReplyKindOf(reply.order) != protocol::ReplyKind::kFrame) return true;
  return protocol::ReplyAnswers(reply.bytes.data(), reply.order);
}

std::string DescribeEntry(const LineEntry& entry) {
  switch (entry.kind) {
    case EntryKind::kRequest:
      return DescribeRequest(entry);
    case EntryKind::kReply:
      return DescribeReply(entry);
    case EntryKind::kTimeout: {
      char limit[32];
      std::snprintf(limit, sizeof limit, "%.0f", entry.limitMs);
      return "no reply to " + OrderName(entry.order) + " within " + limit + " ms";
    }
    case EntryKind::kInputFlushed:
      return Discarded("input flushed", entry.bytes.size());
    case EntryKind::kOutputFlushed:
      return Discarded("output flushed", entry.value > 0 ? static_cast<size_t>(entry.value) : 0);
    case EntryKind::kNotifyInstalled:
      return "notification installed (mask " + Hex4(entry.value) + ")";
    case EntryKind::kNotifyRemoved:
      return "notification removed";
    case EntryKind::kOpened:
      return "port opened: " + entry.text;
    case EntryKind::kClosed:
      return "port closed";
    case EntryKind::kLost:
      return entry.text.empty() ? "port lost" : "port lost: " + entry.text;
  }
  return "";
}

}  // namespace monitor
