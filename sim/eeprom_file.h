// The EEPROM kept in a file across runs: text, 16 lines, one unsigned decimal
// value (0..65535) per line, in word order.
#pragma once

#include <string>

#include "sim/protocol.h"

namespace sim {

enum class EepromLoad { kLoaded, kMissing, kCorrupt };

// Reads the file into *words. A missing file or one that is not exactly 16
// such lines (a final newline is optional, spaces and a CR around a value are
// allowed) leaves *words untouched; *message then says what was wrong.
EepromLoad LoadEepromFile(const std::string& path, Words* words, std::string* message);

// Writes the file atomically: the values go to a temporary file in the same
// directory, which is flushed to disk and then renamed over `path`, so a
// reader sees either the old or the new content, never a part. On failure
// the old file is left as it was and *error says why.
bool SaveEepromFile(const std::string& path, const Words& words, std::string* error);

}  // namespace sim
