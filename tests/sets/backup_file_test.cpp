#include "sets/backup_file.h"

#include <gtest/gtest.h>

namespace {

sets::Backup Sample() {
  sets::Backup b;
  b.taken = "2026-12-08 16:45:03";
  b.port = "COM1";
  b.device = " /dev/ttyS0 Gerät";  // a leading blank and UTF-8 kept
  b.firmware = std::string("V1.2\0\xb5\n\\ end", 12);
  b.ccdType = 3, b.ccdPixels = 2048, b.ccdResolution = 14;
  for (int i = 0; i < 16; ++i) b.ram[i] = 500 + i, b.eeprom[i] = 1000 + i;
  return b;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return to;
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(BackupFile, WrittenTextReadsBackWithEveryFirmwareByte) {
  const std::string text = sets::BackupText(Sample());
  EXPECT_NE(text.find("\nfirmware: V1.2\\x00\\xb5\\x0a\\\\ end\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\ndevice: \\x20/dev/ttyS0 Gerät\n"), std::string::npos);
  EXPECT_NE(text.find("\nram.power: 500\nram.pwrMode: 501\n"), std::string::npos);
  sets::Backup read;
  std::string error;
  ASSERT_TRUE(sets::ParseBackup(text, &read, &error)) << error;
  EXPECT_EQ(read, Sample());

  std::string crlf = Replaced(text, "\nport:", "\n\n  # hand note\nport:");
  for (size_t at = 0; (at = crlf.find('\n', at)) != std::string::npos; at += 2)
    crlf.insert(at, "\r");
  read = {};
  ASSERT_TRUE(sets::ParseBackup(crlf, &read, &error)) << error;
  EXPECT_EQ(read, Sample());
}

TEST(BackupFile, MalformedTextIsRefusedWithTheLineAtFault) {
  // Lines of the written sample: 1 header, 6 firmware, 8 ccd.pixels, 11 ram.power,
  // 30 eeprom.vThd, 31 eeprom.bVal, 43 eeprom.para15 (the last).
  const struct {
    std::string from, to, error;
  } rows[] = {
      {"backup 1", "backup 2",
       "line 1: backup version '2' is not readable here, this program reads version 1"},
      {"ram.power:", "ram.powr:", "line 11: unknown key 'ram.powr'"},
      {"eeprom.bVal:", "eeprom.vThd:", "line 31: duplicate key 'eeprom.vThd' (first on line 30)"},
      {"eeprom.para15: 1015\n", "", "line 43: missing key 'eeprom.para15'"},
      {"ram.power: 500", "ram.power: 65536", "line 11: ram.power: '65536' out of range 0..65535"},
      {"ccd.pixels: 2048", "ccd.pixels: 12x",
       "line 8: ccd.pixels: trailing characters 'x' after the number"},
      {" end\n", " end\\q\n", "line 6: firmware: bad escape '\\q' (only \\\\ and \\xHH)"},
      {" end\n", " \xb5\n", "line 6: firmware: byte 0xb5 in the firmware text, write it as \\xb5"},
      {"", "", "line 1: empty file"},
      {"", "vantrel-backup 1\n", "line 2: missing key 'taken' and 38 more"},
      {"", std::string(70000, '\n'),
       "line 65537: file longer than 64 KiB (70000 bytes), not a backup"},
  };
  for (const auto& row : rows) {
    sets::Backup out;
    std::string error;
    EXPECT_FALSE(
        sets::ParseBackup(Replaced(sets::BackupText(Sample()), row.from, row.to), &out, &error));
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(out, sets::Backup{}) << row.error;  // untouched on failure
  }
}

}  // namespace
