// The files vantrel-cli reads and writes for parameter sets: the parameter
// file through the engine's array files (the desktop program's form), and
// backup files in the format of sets/backup_file.h. Files are written whole
// or not at all. Every failure names the file and says why.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "protocol/frame.h"
#include "sets/backup_file.h"

namespace cli {

using FileValues = std::array<uint32_t, protocol::kFrameWords>;

// The 16 values of a parameter file as the program's array files read them
// (whole numbers, one a line, up to 4294967295): false with "FILE: line 3: not
// an unsigned decimal number" and the like.
bool ReadParameterFile(const std::string& path, FileValues* values, std::string* failure);
// The set in the parameter file's form: written whole to `path`, or as text.
bool WriteParameterFile(const std::string& path, const protocol::Words& words,
                        std::string* failure);
std::string ParameterFileText(const protocol::Words& words);

// A backup file, refused whole when it is malformed ("FILE: line 7: ...").
bool ReadBackupFile(const std::string& path, sets::Backup* backup, std::string* failure);
// Any text written whole to `path`.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string* failure);

}  // namespace cli
