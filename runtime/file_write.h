// Files written so that a failure never passes for a saved file: a whole file
// replaced in one step or left as it was, and a file that grows a record at a
// time and keeps every complete record when the disk refuses the next one.
// Every file the program and its features write goes through here. No Qt.
//
// Reasons are the system's own words ("No space left on device", "File too
// large", "Permission denied"), or "a directory, not a file" and the like for
// a path that is no regular file.
#pragma once

#include <string>
#include <string_view>

// Writes `bytes` to `path` whole or not at all: into a new file beside it,
// each step checked (every byte written, handed to the disk, closed), then
// renamed over `path` in one step. On any failure the file at `path` keeps
// what it held and the new file is removed. A path that exists but is no
// regular file (a named pipe, a directory, a device) is refused and left as
// it is; a symlink is followed and the file it leads to replaced; a file
// replaced keeps its permissions. Returns "" when the file is in place, else
// the reason.
std::string WriteFileWhole(const std::string& path, std::string_view bytes);

// A file written record by record (a line of a trace, a row of a recording),
// each record handed to the system as it comes, so that a crash or a kill
// keeps every record written. A record the disk refuses (full, a file-size
// limit) is cut off again: the file then ends with the last whole record and
// is closed.
class RecordFile {
 public:
  RecordFile() = default;
  ~RecordFile();  // closes, as Close does
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Creates `path` empty (an existing file is emptied; a named pipe waits for
  // its reader). Returns "" or the reason; a file open before is closed first.
  std::string Create(const std::string& path);
  // Appends `record` whole. Returns "" or the reason, and the file is then
  // closed; appending to a closed file returns "not open".
  std::string Append(std::string_view record);
  // Hands what was written to the disk and closes. Returns "" or the reason
  // the disk gave (the records may then not all be kept). Harmless when closed.
  std::string Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  long long whole_ = 0;  // bytes of the records written whole
};
