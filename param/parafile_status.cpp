#include "param/parafile_status.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/status.h"

namespace {
// Below this the name says nothing any more and is left out.
constexpr size_t MIN_NAME_ROOM = 8;

const char* Head(FileOutcome outcome) {
  switch (outcome) {
    case FileOutcome::Loaded:
      return "Parameter file loaded";
    case FileOutcome::Written:
      return "Parameter file written";
    case FileOutcome::CannotRead:
      return "Cannot read parameter file";
    case FileOutcome::CannotWrite:
      return "Cannot write parameter file";
    case FileOutcome::RejectedLine:
      return "Rejected line";
  }
  return "";
}

// Appends within the status text's STATUS_LEN characters.
void Append(char* text, const char* part) {
  const size_t used = std::strlen(text);
  const size_t n = std::min(std::strlen(part), STATUS_LEN - used);
  std::memcpy(text + used, part, n);
  text[used + n] = '\0';
}

bool HasReason(FileOutcome outcome) {
  return outcome != FileOutcome::Loaded && outcome != FileOutcome::Written;
}

// The usual form, name in its place; may be longer than the status line.
int FullForm(char* out, size_t size, FileOutcome outcome, const char* name, const char* reason,
             int line) {
  if (outcome == FileOutcome::RejectedLine)
    return std::snprintf(out, size, "Rejected line %d of %s: %s", line, name, reason);
  if (HasReason(outcome)) return std::snprintf(out, size, "%s %s: %s", Head(outcome), name, reason);
  return std::snprintf(out, size, "%s: %s", Head(outcome), name);
}

// The short form: what happened and why first, the name last in what room is
// left ("Rejected line 17: more values than expected (station_...tion.dat)").
void ShortForm(char* text, FileOutcome outcome, const char* name, const char* reason, int line) {
  char point[STATUS_LEN + 1];
  if (outcome == FileOutcome::RejectedLine)
    std::snprintf(point, sizeof point, "Rejected line %d: %s", line, reason);
  else if (HasReason(outcome))
    std::snprintf(point, sizeof point, "%s: %s", Head(outcome), reason);
  else
    std::snprintf(point, sizeof point, "%s: ", Head(outcome));

  const size_t used = std::strlen(point);
  const size_t wrap = HasReason(outcome) ? 3 : 0;  // " (" and ")"
  std::memcpy(text, point, used + 1);
  if (used + wrap + MIN_NAME_ROOM > STATUS_LEN) return;
  char shortName[STATUS_LEN + 1];
  ElideMiddle(shortName, name, STATUS_LEN - used - wrap);
  if (HasReason(outcome)) Append(text, " (");
  Append(text, shortName);
  if (HasReason(outcome)) Append(text, ")");
}
}  // namespace

const char* FileBaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

void FormatFileStatus(char* text, FileOutcome outcome, const char* path, const char* reason,
                      int line) {
  const char* name = FileBaseName(path);
  if (reason == nullptr) reason = "";
  const int length = FullForm(text, STATUS_LEN + 1, outcome, name, reason, line);
  if (length >= 0 && static_cast<size_t>(length) <= STATUS_LEN) return;
  ShortForm(text, outcome, name, reason, line);
}
