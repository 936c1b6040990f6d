// The decoder: every order's request and reply in the operator's words, the
// replies that answer nothing, the link's events, hex.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/frame_decode.h"

using monitor::EntryKind;
using monitor::LineEntry;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Frame(int sync, int order, const std::vector<int>& words, size_t size = 36) {
  Bytes bytes;
  for (int word : {sync, order}) bytes.insert(bytes.end(), {uint8_t(word >> 8), uint8_t(word)});
  for (int word : words) bytes.insert(bytes.end(), {uint8_t(word >> 8), uint8_t(word)});
  bytes.resize(size, 0);
  return bytes;
}

Bytes Raw(const std::string& text, size_t size) {
  Bytes bytes(text.begin(), text.end());
  bytes.resize(size, 0);
  return bytes;
}

LineEntry E(EntryKind kind, int order, Bytes bytes, double responseMs = 5, int value = 0,
            std::string text = "", double limitMs = 0) {
  return LineEntry{0, kind, std::move(bytes), order, responseMs, limitMs, value, std::move(text)};
}

const std::vector<int> kPackage = {500, 1, 512, 3,  260, 5,  6,  1023,
                                   300, 9, 10,  11, 12,  13, 14, 65535};
const std::string kPackageText =
    "power 500, pwrMode 1, vThd 512, bVal 3, polarity 260, eMode 5, eBeg 6, eEnd 1023, tVal 300, "
    "tTol 9, iGain 10, ePoti 11, ccdMode 12, pStart 13, bMode 14, para15 65535";
constexpr EntryKind kRequest = EntryKind::kRequest;
constexpr EntryKind kReply = EntryKind::kReply;

}  // namespace

TEST(FrameDecode, DescribesEveryFormOfRequestReplyAndEvent) {
  const std::string video("\x01\x2C", 2);  // first level 300; the last is 0x0FFF
  const struct {
    LineEntry entry;
    std::string text;
  } rows[] = {
      {E(kRequest, 8, Frame(0x55, 8, kPackage)), "Measure: " + kPackageText},
      {E(kRequest, 5, Frame(0x1255, 5, kPackage)), "Echo check (sync 0x1255): " + kPackageText},
      {E(kRequest, 9, Frame(0x55, 9, {320, 1})), "Data block: start 320, last 1"},
      {E(kRequest, 2, Frame(0x55, 2, {}, 10)), "Read RAM: incomplete request: 10 of 36 bytes"},
      {E(kReply, 4, Frame(0xAA, 4, kPackage)), "Read EEPROM reply: " + kPackageText},
      {E(kReply, 6, Frame(0xAA, 6, kPackage)), "Teach reply: " + kPackageText},
      {E(kReply, 5, Frame(0xAA, 5, kPackage)), "Echo check reply: sync 0x00AA, " + kPackageText},
      {E(kReply, 5, Frame(0x55, 5, kPackage)), "Echo check reply: sync 0x0055, " + kPackageText},
      {E(kReply, 8, Frame(0xAA, 8, {120, 380, 260, 250, 10, 1, 2, 3000, 2990, 7})),
       "Measure reply: first edge 120, second edge 380, measured value 260, teach value 250, "
       "tolerance 10, window start 1, edge count 2, end levels 3000/2990"},
      {E(kReply, 10, Frame(0xAA, 10, {2, 1024, 25})),
       "CCD info reply: CCD type 2, pixel count 1024, resolution 25"},
      {E(kReply, 12, Frame(0xAA, 12, {1, 2, 3})),
       "Order 12 reply: words 1 2 3 0 0 0 0 0 0 0 0 0 0 0 0 0"},
      {E(kReply, 7, Raw("VTL 2.1 \xB5m\x01\x7F\x85\"", 72)),
       "Firmware info reply: \"VTL 2.1 \xC2\xB5m\\x01\\x7f\\x85\\\"\""},
      {E(kReply, 7, Raw(std::string("V1\0x", 4), 72)),
       "Firmware info reply: \"V1\", text after the padding"},
      {E(kReply, 9, Raw(video + std::string(124, '\0') + "\x0F\xFF", 128), 5, 64),
       "Data block reply: start 64, first 300, last 4095"},
      {E(kReply, 8, Frame(0x55, 7, {})), "Measure reply: not an answer: sync 0x0055, echo 7"},
      {E(kReply, 2, Frame(0xAA, 1, {})), "Read RAM reply: not an answer: sync 0x00AA, echo 1"},
      {E(kReply, 8, Frame(0xAA, 8, {}, 20)), "Measure reply: incomplete: 20 of 36 bytes"},
      {E(kReply, 9, Raw(video, 100)), "Data block reply: incomplete: 100 of 128 bytes"},
      {E(kReply, 10, Frame(0xAA, 10, {2, 1024, 25}, 38)),
       "CCD info reply: CCD type 2, pixel count 1024, resolution 25; then stray bytes: 2 bytes"},
      {E(kReply, 8, {1, 2, 3, 4}, -1), "stray bytes after Measure: 4 bytes"},
      {E(kReply, 1, {1, 2}), "stray bytes after Write RAM: 2 bytes"},
      {E(kReply, 0, {0xAA}, -1), "stray bytes: 1 byte"},
      {E(kReply, 3, {0xAA}), "stray bytes after Write EEPROM: 1 byte"},
      {E(EntryKind::kTimeout, 8, {}, -1, 0, "", 1500), "no reply to Measure within 1500 ms"},
      {E(EntryKind::kInputFlushed, 0, {1, 2, 3, 4}), "input flushed: 4 bytes discarded"},
      {E(EntryKind::kInputFlushed, 0, {}), "input flushed"},
      {E(EntryKind::kOutputFlushed, 0, {}, -1, 36), "output flushed: 36 bytes discarded"},
      {E(EntryKind::kNotifyInstalled, 0, {}, -1, 0x8006), "notification installed (mask 0x8006)"},
      {E(EntryKind::kNotifyRemoved, 0, {}), "notification removed"},
      {E(EntryKind::kOpened, 0, {}, -1, 0, "/dev/pts/3"), "port opened: /dev/pts/3"},
      {E(EntryKind::kClosed, 0, {}), "port closed"},
      {E(EntryKind::kLost, 0, {}, -1, 0, "device removed"), "port lost: device removed"},
  };
  for (const auto& row : rows) EXPECT_EQ(monitor::DescribeEntry(row.entry), row.text);
}

TEST(FrameDecode, HexIsTwoLowerCaseDigitsAByteGroupedByTwo) {
  const Bytes bytes = {0x00, 0xAA, 0x0F, 0x10, 0xFF};
  EXPECT_EQ(monitor::HexBytes(bytes, false), "00aa0f10ff");
  EXPECT_EQ(monitor::HexBytes(bytes, true), "00aa 0f10 ff");
}
