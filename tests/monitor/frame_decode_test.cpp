// The decoder: every order's request and reply in the operator's words, the
// replies that answer nothing, the link's events, the order tables, hex.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/frame_decode.h"

using monitor::EntryKind;
using monitor::LineEntry;

namespace {

std::vector<uint8_t> Frame(int sync, int order, const std::vector<int>& words) {
  std::vector<uint8_t> bytes;
  auto put = [&](int word) {
    bytes.push_back(static_cast<uint8_t>(word >> 8));
    bytes.push_back(static_cast<uint8_t>(word & 0xFF));
  };
  put(sync);
  put(order);
  for (int i = 0; i < 16; ++i) put(i < static_cast<int>(words.size()) ? words[i] : 0);
  return bytes;
}

const std::vector<int> kPackage = {500, 1, 512, 3,  260, 5,  6,  1023,
                                   300, 9, 10,  11, 12,  13, 14, 65535};
const std::string kPackageText =
    "power 500, pwrMode 1, vThd 512, bVal 3, polarity 260, eMode 5, eBeg 6, eEnd 1023, tVal 300, "
    "tTol 9, iGain 10, ePoti 11, ccdMode 12, pStart 13, bMode 14, para15 65535";

LineEntry Entry(EntryKind kind, int order, std::vector<uint8_t> bytes, double responseMs = 5.0) {
  LineEntry entry;
  entry.kind = kind;
  entry.order = order;
  entry.bytes = std::move(bytes);
  entry.responseMs = responseMs;
  return entry;
}

LineEntry Reply(int order, std::vector<uint8_t> bytes, double responseMs = 5.0) {
  return Entry(EntryKind::kReply, order, std::move(bytes), responseMs);
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

std::vector<uint8_t> Firmware(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.resize(72, 0);
  return bytes;
}

std::vector<uint8_t> VideoBlock() {
  std::vector<uint8_t> bytes(128, 0);
  bytes[0] = 0x01;  // first level 300
  bytes[1] = 0x2C;
  bytes[126] = 0x0F;  // last level 4095
  bytes[127] = 0xFF;
  return bytes;
}

LineEntry Event(EntryKind kind, int value = 0, std::string text = "") {
  LineEntry entry;
  entry.kind = kind;
  entry.value = value;
  entry.text = std::move(text);
  return entry;
}

}  // namespace

TEST(FrameDecode, DescribesEveryFormOfRequestReplyAndEvent) {
  LineEntry block = Reply(9, VideoBlock());
  block.value = 64;
  LineEntry timeout = Event(EntryKind::kTimeout);
  timeout.order = 8;
  timeout.limitMs = 1500;
  LineEntry firmwareTimeout = timeout;
  firmwareTimeout.order = 7;
  firmwareTimeout.limitMs = 2000;

  const struct {
    LineEntry entry;
    std::string text;
  } rows[] = {
      {Entry(EntryKind::kRequest, 8, Frame(0x55, 8, kPackage)), "Measure: " + kPackageText},
      {Entry(EntryKind::kRequest, 1, Frame(0x55, 1, kPackage)), "Write RAM: " + kPackageText},
      {Entry(EntryKind::kRequest, 10, Frame(0x55, 10, kPackage)), "CCD info: " + kPackageText},
      {Entry(EntryKind::kRequest, 5, Frame(0x1255, 5, kPackage)),
       "Echo check (sync 0x1255): " + kPackageText},
      {Entry(EntryKind::kRequest, 9, Frame(0x55, 9, {320, 1})), "Data block: start 320, last 1"},
      {Entry(EntryKind::kRequest, 2, Cut(Frame(0x55, 2, kPackage), 10)),
       "Read RAM: incomplete request: 10 of 36 bytes"},

      {Reply(2, Frame(0xAA, 2, kPackage)), "Read RAM reply: " + kPackageText},
      {Reply(4, Frame(0xAA, 4, kPackage)), "Read EEPROM reply: " + kPackageText},
      {Reply(6, Frame(0xAA, 6, kPackage)), "Teach reply: " + kPackageText},
      {Reply(5, Frame(0xAA, 5, kPackage)), "Echo check reply: sync 0x00AA, " + kPackageText},
      {Reply(5, Frame(0x55, 5, kPackage)), "Echo check reply: sync 0x0055, " + kPackageText},
      {Reply(8, Frame(0xAA, 8, {120, 380, 260, 250, 10, 1, 2, 3000, 2990, 7})),
       "Measure reply: first edge 120, second edge 380, measured value 260, teach value 250, "
       "tolerance 10, window start 1, edge count 2, end levels 3000/2990"},
      {Reply(10, Frame(0xAA, 10, {2, 1024, 25})),
       "CCD info reply: CCD type 2, pixel count 1024, resolution 25"},
      {Reply(12, Frame(0xAA, 12, {1, 2, 3})),
       "Order 12 reply: words 1 2 3 0 0 0 0 0 0 0 0 0 0 0 0 0"},
      {Reply(7, Firmware("VTL 2.1 \xB5m\x01\x7F\x85\"")),
       "Firmware info reply: \"VTL 2.1 \xC2\xB5m\\x01\\x7f\\x85\\\"\""},
      {Reply(7, Firmware(std::string("V1\0x", 4))),
       "Firmware info reply: \"V1\", text after the padding"},
      {block, "Data block reply: start 64, first 300, last 4095"},

      {Reply(8, Frame(0x55, 7, {})), "Measure reply: not an answer: sync 0x0055, echo 7"},
      {Reply(2, Frame(0xAA, 1, {})), "Read RAM reply: not an answer: sync 0x00AA, echo 1"},
      {Reply(8, Cut(Frame(0xAA, 8, {}), 20)), "Measure reply: incomplete: 20 of 36 bytes"},
      {Reply(9, Cut(VideoBlock(), 100)), "Data block reply: incomplete: 100 of 128 bytes"},
      {Reply(10, Cut(Frame(0xAA, 10, {2, 1024, 25, 0x0102}), 38)),
       "CCD info reply: CCD type 2, pixel count 1024, resolution 25; then stray bytes: 2 bytes"},
      {Reply(8, {1, 2, 3, 4}, -1.0), "stray bytes after Measure: 4 bytes"},
      {Reply(1, {1, 2}), "stray bytes after Write RAM: 2 bytes"},
      {Reply(0, {0xAA}, -1.0), "stray bytes: 1 byte"},

      {timeout, "no reply to Measure within 1500 ms"},
      {firmwareTimeout, "no reply to Firmware info within 2000 ms"},
      {Entry(EntryKind::kInputFlushed, 0, {1, 2, 3, 4}), "input flushed: 4 bytes discarded"},
      {Entry(EntryKind::kInputFlushed, 0, {}), "input flushed"},
      {Event(EntryKind::kOutputFlushed, 36), "output flushed: 36 bytes discarded"},
      {Event(EntryKind::kOutputFlushed, 0), "output flushed"},
      {Event(EntryKind::kNotifyInstalled, 0x8006), "notification installed (mask 0x8006)"},
      {Event(EntryKind::kNotifyRemoved), "notification removed"},
      {Event(EntryKind::kOpened, 0, "/dev/pts/3"), "port opened: /dev/pts/3"},
      {Event(EntryKind::kClosed), "port closed"},
      {Event(EntryKind::kLost, 0, "device removed"), "port lost: device removed"},
  };
  for (const auto& row : rows) EXPECT_EQ(monitor::DescribeEntry(row.entry), row.text);
}

TEST(FrameDecode, OrderTablesGiveNameReplyLengthAndLimit) {
  const struct {
    int order;
    const char* name;
    int length;
    double limitMs;
  } rows[] = {
      {1, "Write RAM", 0, 0},         {2, "Read RAM", 36, 1500},   {3, "Write EEPROM", 0, 0},
      {4, "Read EEPROM", 36, 1500},   {5, "Echo check", 36, 1500}, {6, "Teach", 36, 1500},
      {7, "Firmware info", 72, 2000}, {8, "Measure", 36, 1500},    {9, "Data block", 128, 1500},
      {10, "CCD info", 36, 1500},     {11, "Order 11", 36, 1500},  {0, "Order 0", 36, 1500},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(monitor::OrderName(row.order), row.name);
    EXPECT_EQ(monitor::ExpectedReplyLength(row.order), row.length) << row.order;
    EXPECT_EQ(monitor::ReplyLimitMs(row.order), row.limitMs) << row.order;
  }
}

TEST(FrameDecode, HexIsTwoLowerCaseDigitsAByteGroupedByTwo) {
  const std::vector<uint8_t> bytes = {0x00, 0xAA, 0x0F, 0x10, 0xFF};
  EXPECT_EQ(monitor::HexBytes(bytes, false), "00aa0f10ff");
  EXPECT_EQ(monitor::HexBytes(bytes, true), "00aa 0f10 ff");
  EXPECT_EQ(monitor::HexBytes({}, true), "");
}
