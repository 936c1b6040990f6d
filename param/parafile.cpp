#include "param/parafile.h"

#include <cstdint>
#include <cstdio>

#include "display/panelvalues.h"
#include "display/status.h"
#include "param/params.h"

char proj_dir[UI_PATH_MAX] = "";
char file_name[UI_PATH_MAX] = "";

namespace {
constexpr int REASON_LEN = 64;

// Shows an outcome that names the file; szStatus keeps it, so a later Get from
// the file store shows it again.
void ReportFile(const char* format, const char* reason, int line) {
  // Room for the longest path and reason; the status text keeps its first
  // STATUS_LEN characters.
  char text[UI_PATH_MAX + 2 * REASON_LEN];
  if (line > 0)
    std::snprintf(text, sizeof text, format, line, FileBaseName(file_name), reason);
  else
    std::snprintf(text, sizeof text, format, FileBaseName(file_name), reason);
  SetStatusText(text);
  ShowStatusText();
}
}  // namespace

const char* FileBaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

void SendParaToFile() {
  GetPanelValues();
  CopyVarsToPP();
  uint32_t words[PNUM];
  for (int i = 0; i < PNUM; ++i) words[i] = pp[i];
  if (ArrayToFile(file_name, words, UI_DATA_U32, PNUM, 1, 0, 0, 0, PARA_FILE_FIELD_WIDTH,
                  UI_FILE_ASCII, UI_FILE_TRUNCATE) < 0) {
    char reason[REASON_LEN];
    int line = 0;
    GetFileErrorInfo(reason, sizeof reason, &line);
    ReportFile("Cannot write parameter file %s: %s", reason, 0);
    return;
  }
  ReportFile("Parameter file written: %s%s", "", 0);
}

void ReadParaFromFile() {
  if (FileSelectPopup(proj_dir, PARA_FILE_NAME, PARA_FILE_FILTER, PARA_FILE_LOAD_TITLE,
                      UI_FILE_BUTTON_LOAD, 0, 1, 1, 1, file_name) <= 0)
    return;
  uint32_t words[PNUM];
  if (FileToArray(file_name, words, UI_DATA_U32, PNUM, 1, 0, 0, UI_FILE_ASCII) < 0) {
    // The package and the variables keep their values.
    char reason[REASON_LEN];
    int line = 0;
    GetFileErrorInfo(reason, sizeof reason, &line);
    if (line > 0)
      ReportFile("Rejected line %d of %s: %s", reason, line);
    else
      ReportFile("Cannot read parameter file %s: %s", reason, 0);
    return;
  }
  for (int i = 0; i < PNUM; ++i) pp[i] = static_cast<uint16_t>(words[i] & 0xFFFF);
  CopyPPtoVars();
  ReportFile("Parameter file loaded: %s%s", "", 0);
}
