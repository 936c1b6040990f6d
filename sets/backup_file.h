// Sensor backup files: one sensor's whole parameter state (both parameter
// sets, the CCD information, the firmware text, the port and when it was
// taken) as a versioned, line-oriented text a person can read and diff,
// described in docs/backup-format.md. Pure: no Qt, no program state.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sets {

struct Backup {
  std::string taken;         // date and time it was taken, e.g. "2026-12-08 16:45:03" (UTF-8)
  std::string port, device;  // "COM1", "/dev/ttyS0" (UTF-8)
  std::string firmware;      // raw bytes as the sensor sent them (Latin-1), up to 72
  uint16_t ccdType = 0, ccdPixels = 0, ccdResolution = 0;
  std::array<uint16_t, 16> ram{}, eeprom{};  // the parameter words in package order
  bool operator==(const Backup&) const = default;
};

// Longest firmware text a backup holds, and longest file a reader takes.
constexpr size_t kBackupFirmwareMax = 72;
constexpr size_t kBackupFileMax = 64 * 1024;

// The whole file's text, LF line ends. Any byte of any text field round-trips
// (escaped where needed); a firmware text longer than kBackupFirmwareMax is
// written as it is and refused when read back.
std::string BackupText(const Backup& backup);

// Parses `text`; on success fills `*out` and returns true. On failure returns
// false, sets `*error` to "line <n>: <what is wrong>" (n 1-based) and leaves
// `*out` untouched. Both pointers must be valid.
bool ParseBackup(std::string_view text, Backup* out, std::string* error);

}  // namespace sets
