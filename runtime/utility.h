// Utility operations of the run-time engine: timer, program directory, file
// dialog, array files and formatting.
#pragma once

#include <cstddef>
#include <cstdint>

// Seconds from an arbitrary start, monotonic, sub-millisecond resolution. Only
// differences are meaningful.
double Timer();

// Writes the directory of the running program (no trailing separator) into
// `dir`, at most dirSize bytes including the terminator. Returns 0, or -1 when
// it does not fit.
int GetProjectDir(char* dir, size_t dirSize);

// ---- File dialog --------------------------------------------------------------
constexpr int UI_FILE_BUTTON_OK = 0;    // a save dialog: its button reads "Save"
constexpr int UI_FILE_BUTTON_LOAD = 3;  // the dialog's button reads "Load" (open)
constexpr int UI_FILE_SELECTED_EXISTING = 1;
constexpr int UI_FILE_SELECTED_NEW = 2;
constexpr int UI_FILE_CANCELLED = 0;
constexpr int UI_PATH_MAX = 260;           // path buffers, terminator included
constexpr int UI_FILE_SELECT_FAILED = -1;  // no dialog could be shown, or the path does not fit

// Asks the operator for a file. With UI_FILE_BUTTON_LOAD only an existing file
// can be chosen. `pathOut` (UI_PATH_MAX bytes) receives the chosen path.
// Returns 1 (existing file), 2 (new file), 0 (cancelled) or < 0 on failure.
// restrictDirectory: 1 = the operator cannot leave defaultDirectory;
// restrictExtension: 1 = a saved file's name has an extension of the filter
// (one it lacks, or one the filter does not list, becomes the first
// pattern's: "x.txt" under "*.dat" is saved as "x.dat");
// allowCancel, allowMakeDirectory: 1 = allowed. Runs a nested event loop.
// The first dialog for a filter opens in defaultDirectory (the home folder
// instead when that cannot be written or is a system folder such as an
// installed program's, unless restricted); later ones with the
// same filter open where the last one ended (the chosen file's folder, or the
// folder shown when it was cancelled), for the rest of the run, unless
// restricted to defaultDirectory.
int FileSelectPopup(const char* defaultDirectory, const char* defaultFileName, const char* filter,
                    const char* title, int buttonKind, int restrictDirectory, int restrictExtension,
                    int allowCancel, int allowMakeDirectory, char* pathOut);

// ---- Array files ----------------------------------------------------------------
// The one form the system uses: data type 7 (uint32_t), one group, groups
// together (order 0), groups as columns (layout 0), constant-width columns
// (separation 0), ASCII (file type 1). Other arguments give UI_FILE_BAD_FORM.
constexpr int UI_DATA_U32 = 7;
constexpr int UI_FILE_ASCII = 1;
constexpr int UI_FILE_TRUNCATE = 0;
constexpr int UI_FILE_IO_ERROR = -1;   // cannot create, write, open or read the file
constexpr int UI_FILE_TOO_SHORT = -2;  // fewer values than asked for
constexpr int UI_FILE_BAD_VALUE = -3;  // a line that is not an unsigned decimal number
constexpr int UI_FILE_BAD_FORM = -4;   // unsupported arguments

// Writes `count` values, one per line, right-aligned in fields of fieldWidth
// characters (wider values take the room they need), lines ended by "\n". The
// file is replaced in one step once the new contents are on the disk: it
// holds either the old or the complete new contents, never a part. A path that exists but is not a
// regular file (named pipe, directory, device) is refused at once and left as it is. Returns 0 or
// an error code.
int ArrayToFile(const char* fileName, const void* array, int dataType, int count, int groups,
                int dataOrder, int layout, int columnSeparation, int fieldWidth, int fileType,
                int fileAction);
// Reads exactly `count` values written as above (a leading UTF-8 byte-order
// mark, surrounding blanks and "\r\n" line ends accepted, values up to
// 4294967295; only blank lines may follow the last value). Anything but a
// regular file is refused without waiting on it. On any error the array is
// left unchanged. Returns 0 or an error code.
int FileToArray(const char* fileName, void* array, int dataType, int count, int groups,
                int dataOrder, int layout, int fileType);

// Why the last ArrayToFile or FileToArray failed: a short reason in lower case
// ("permission denied", "no space left on device", "not an unsigned decimal
// number", "value missing") into `reason`, and the 1-based line of the file it
// concerns into *line (0 when it is not about one line). Returns 0 with an
// empty reason after a success, -1 after a failure.
int GetFileErrorInfo(char* reason, size_t reasonSize, int* line);

// ---- Formatting ---------------------------------------------------------------
// The one form the system uses: format "%<n>c<%<m>i" turns m integers into text
// of at most n characters in `target` (n + 1 bytes): each integer gives two
// characters, its bits 8-15 then bits 0-7; the text ends at the first zero byte
// and is always terminated. Returns the number of characters, or -1 for a format
// it does not know (target then holds the empty text).
int Fmt(char* target, const char* format, const int* source);
