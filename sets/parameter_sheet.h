// One parameter set as a printable sheet: a self-contained HTML document (inline
// style, no scripts, nothing fetched) that a browser prints or that
// sets/qt/sheet_files.h turns into a PDF. Pure: no Qt, no program state.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sets {

// The facts printed above the table. Texts marked Latin-1 are as the sensor
// sends them; the others are UTF-8.
struct SheetInfo {
  std::string source;    // where the set comes from: "RAM", "EEPROM", "File /path/x.par", "Panels"
  std::string ccd;       // the sensor's CCD description, Latin-1 (may hold 0xB5)
  std::string firmware;  // the sensor's firmware text, Latin-1
  std::string port;      // the serial port's name
  std::string taken;     // date and time of the sheet, as the caller wants it printed
  std::string comment;   // one line; empty prints a ruled line to write on by hand
  int ccdType = 0;       // picks the pixel pitch (fields::PixelPitchNm)
  float scale = 1.0f;    // the scale factor in force: 1 unless the evaluation mode is 2
};

// The whole HTML5 document, UTF-8: the header facts, then one row per word in
// package order with its label, name, value (with its meaning beside a code:
// "1 (second edge)"), unit and micrometre form ("—" for a word that has none). Every text is
// escaped. The same input gives the same bytes.
std::string ParameterSheetHtml(const std::array<uint16_t, 16>& words, const SheetInfo& info);

}  // namespace sets
