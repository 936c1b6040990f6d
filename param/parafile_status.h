// Status texts of the parameter file. They must keep their point within the
// status line's STATUS_LEN characters: the file is named by its base name,
// and when the usual form is too long the reason comes first and the name
// follows, shortened in the middle ("station_B_l...ration.dat") so that both
// its start and its extension stay readable.
#pragma once

#include <cstddef>

enum class FileOutcome {
  Loaded,        // "Parameter file loaded: <name>"
  Written,       // "Parameter file written: <name>"
  CannotRead,    // "Cannot read parameter file <name>: <reason>"
  CannotWrite,   // "Cannot write parameter file <name>: <reason>"
  RejectedLine,  // "Rejected line <line> of <name>: <reason>"
};

// Writes the text for `outcome` into `text` (STATUS_LEN + 1 bytes). `path` may
// be a full path; `reason` is ignored for Loaded and Written, `line` is used
// only for RejectedLine.
void FormatFileStatus(char* text, FileOutcome outcome, const char* path, const char* reason,
                      int line);

// The last part of a path (after the last '/' or '\'), for short messages.
const char* FileBaseName(const char* path);
