// The parameter file: the third store of the store selector. Sixteen lines,
// one unsigned decimal value per line in a field 4 characters wide, in package
// order; no header. Written whole or not at all.
#pragma once

#include "runtime/utility.h"

extern char
    proj_dir[UI_PATH_MAX];  // directory of the program, filled at start-up; the dialogs open here
extern char file_name[UI_PATH_MAX];  // path of the parameter file last chosen

constexpr const char* PARA_FILE_NAME = "QVORpara.dat";  // default name in the dialogs
constexpr const char* PARA_FILE_FILTER = "*.dat";
constexpr const char* PARA_FILE_SAVE_TITLE = "Q-VOR-MK-Series Parameter File";
constexpr const char* PARA_FILE_LOAD_TITLE = "Q-VOR-MK-Parameter File";
constexpr int PARA_FILE_FIELD_WIDTH = 4;

// Reads the panels into the variables, packs them and writes the package to
// file_name (the caller has set it). The status line says that the file was
// written, or that it could not be and why; the package stays as packed.
void SendParaToFile();

// Asks for a file with the load dialog and loads it into the package and the
// variables (low 16 bits of each value). A file that cannot be read, holds
// fewer than 16 values or anything but unsigned decimals of at most 32 bits is
// rejected with a message naming the file and the first bad line; the package
// and the variables then stay unchanged. A cancelled dialog changes nothing.
// Does not touch the panels: the caller refreshes them.
void ReadParaFromFile();
