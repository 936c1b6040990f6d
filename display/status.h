// The status line: the main panel's text control TEXT_Status and the text
// `szStatus` that operations leave there as their outcome.
#pragma once

constexpr int STATUS_LEN = 72;  // characters, without the terminator
extern char szStatus[STATUS_LEN + 1];

// Copies `text` into szStatus, cut to STATUS_LEN characters.
void SetStatusText(const char* text);
// Shows szStatus in the status line.
void ShowStatusText();
// Shows a literal text in the status line (szStatus keeps its value).
void ShowStatus(const char* text);
// 1 when the status line shows `text` now (whatever szStatus holds).
int StatusShows(const char* text);
// Copies `text` into `out` (room for `width` characters and the terminator);
// a longer text keeps its beginning and its end with "..." between them, so a
// device path or file name keeps the part that tells it apart.
void ElideMiddle(const char* text, int width, char* out);
