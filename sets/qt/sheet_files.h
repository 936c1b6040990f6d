// The parameter sheet's files: the HTML of sets/parameter_sheet.h as a PDF or
// as the HTML file itself. Each file is written whole or not at all
// (WriteFileWhole): it appears whole under its name, or the file there before
// stays and nothing else is left behind.
#pragma once

#include <string>

namespace sets {

// `html` laid out by QTextDocument in the sheet's own font (10 pt) and printed onto A4 pages of
// a PDF, whatever font the application has. Needs a QGuiApplication (the
// layout needs its fonts). Returns an empty string, or the reason the file was
// not written, for the status line.
std::string SaveParameterSheetPdf(const std::string& html, const std::string& path);

// `html` byte for byte. Returns an empty string, or the reason.
std::string SaveParameterSheetHtml(const std::string& html, const std::string& path);

}  // namespace sets
