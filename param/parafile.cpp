#include "param/parafile.h"

#include <cstdint>

#include "display/panel_values.h"
#include "display/status.h"
#include "param/parafile_status.h"
#include "param/params.h"
#include "param/transfer.h"

char proj_dir[UI_PATH_MAX] = "";
char file_name[UI_PATH_MAX] = "";

namespace {
constexpr int REASON_LEN = 64;

// Shows an outcome that names the file; szStatus keeps it, so a later Get from
// the file store shows it again.
void ReportFile(FileOutcome outcome, const char* reason = "", int line = 0) {
  char text[STATUS_LEN + 1];
  FormatFileStatus(text, outcome, file_name, reason, line);
  SetStatusText(text);
  ShowStatusText();
}

// Why the last array-file operation failed, and on which line (0: none).
int LastFileError(char* reason) {
  int line = 0;
  GetFileErrorInfo(reason, REASON_LEN, &line);
  return line;
}
}  // namespace

void SendParaToFile() {
  GetPanelValues();
  CopyVarsToPP();
  uint32_t words[PNUM];
  for (int i = 0; i < PNUM; ++i) words[i] = pp[i];
  if (ArrayToFile(file_name, words, UI_DATA_U32, PNUM, 1, 0, 0, 0, PARA_FILE_FIELD_WIDTH,
                  UI_FILE_ASCII, UI_FILE_TRUNCATE) < 0) {
    char reason[REASON_LEN];
    LastFileError(reason);
    ReportFile(FileOutcome::CannotWrite, reason);
    return;
  }
  ReportFile(FileOutcome::Written);
}

void ReadParaFromFile() {
  if (FileSelectPopup(proj_dir, PARA_FILE_NAME, PARA_FILE_FILTER, PARA_FILE_LOAD_TITLE,
                      UI_FILE_BUTTON_LOAD, 0, 1, 1, 1, file_name) <= 0)
    return;
  uint32_t words[PNUM];
  if (FileToArray(file_name, words, UI_DATA_U32, PNUM, 1, 0, 0, UI_FILE_ASCII) < 0) {
    // The package and the variables keep their values.
    char reason[REASON_LEN];
    const int line = LastFileError(reason);
    if (line > 0)
      ReportFile(FileOutcome::RejectedLine, reason, line);
    else
      ReportFile(FileOutcome::CannotRead, reason);
    return;
  }
  for (int i = 0; i < PNUM; ++i) pp[i] = static_cast<uint16_t>(words[i] & 0xFFFF);
  CopyPPtoVars();
  NoteSetOrigin(SET_LOADED, DATFILE);
  ReportFile(FileOutcome::Loaded);
}
