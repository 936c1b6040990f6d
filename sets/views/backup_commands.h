// Backing a sensor up to a file and restoring it: both parameter sets, the
// CCD information, the firmware text, the port and the date in a backup file
// (sets/backup_file.h, docs/backup-format.md). Outcomes go to the status line.
#pragma once

#include <string>

namespace sets {

// Reads the sensor's RAM and EEPROM (both must answer) and writes the backup
// to `path` whole or not at all. True when it was written.
bool TakeBackup(const std::string& path);

// Reads and checks the backup at `path` (a malformed file is refused with the
// line at fault and nothing is sent); a backup of another CCD type goes on
// only when the operator confirms it. Then writes the EEPROM set and reads it
// back, writes the RAM set and reads it back, and says whether both stores
// hold the backup. The program's variables and panels are left as they are.
// True when both stores hold it.
bool RestoreBackup(const std::string& path);

// Asks the operator a yes/no question; true for yes.
using ConfirmFn = bool (*)(const std::string& question);
// Replaces the question dialog (null: the dialog again).
void SetRestoreConfirmation(ConfirmFn confirm);

// The two commands with their file dialogs (a cancelled dialog does nothing).
void TakeBackupAsked();
void RestoreBackupAsked();

}  // namespace sets
