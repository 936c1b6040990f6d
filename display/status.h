// The status line: the main panel's text control TEXT_Status and the text
// `szStatus` that operations leave there as their outcome.
#pragma once

#include <cstddef>

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
// Copies `name` into `out` (room + 1 bytes) whole when it has at most `room`
// characters, else its start and end around "..." in exactly `room`
// characters, so a path or file name keeps the part that tells it apart.
// `room` is at least 5.
void ElideMiddle(char* out, const char* name, size_t room);
