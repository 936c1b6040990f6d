// Backing a sensor up to a file and restoring it: both parameter sets, the
// CCD information, the firmware text, the port and the date in a backup file
// (sets/backup_file.h, docs/backup-format.md). Outcomes go to the status line.
#pragma once

#include <string>

namespace sets {

// Reads the sensor's RAM and EEPROM (both must answer) and writes the backup
// to `path` whole or not at all. True when it was written. Nothing while
// another operation talks to the sensor.
bool TakeBackup(const std::string& path);

// Reads and checks the backup at `path` (a malformed file, or one with words
// the sensor does not accept, is refused naming them, and nothing is sent); a
// backup of another CCD type goes on only when the operator confirms it, and
// so does the write of the EEPROM, after a box that shows what it changes
// there (ConfirmPopup). Then writes the EEPROM set and reads it back, writes
// the RAM set and reads it back, and says whether both stores hold the backup.
// The program's variables and panels are left as they are; a set read from
// the sensor counts as unread from then on. True when both stores hold it.
// Nothing while another operation talks to the sensor.
bool RestoreBackup(const std::string& path);

// The two commands with their file dialogs (a cancelled dialog does nothing).
void TakeBackupAsked();
void RestoreBackupAsked();

}  // namespace sets
