// Writes the parameter sheet of a sample set, as the documentation shows it:
//   vantrel-sheetshot OUT.pdf [OUT.html]
// The set is the simulated sensor's with a few words changed, at evaluation
// mode 2 so that the teach value shows the scale factor at work.
#include <QGuiApplication>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "sets/parameter_sheet.h"
#include "sets/qt/sheet_files.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUT.pdf [OUT.html]\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);
  const std::array<uint16_t, 16> words = {640, 1,  480, 64, 1, 2, 20, 900,
                                          300, 40, 1,   1,  0, 1, 0,  950};
  sets::SheetInfo info;
  info.source = "EEPROM";
  info.ccd = "CCD 1024 pixel, 7.8 \xB5m";
  info.firmware = "LS-1024 V2.07 <release> & service";
  info.port = "/dev/ttyUSB0";
  info.taken = "2026-12-08 16:45";
  info.ccdType = 1;
  info.scale = 0.95f;
  const std::string html = sets::ParameterSheetHtml(words, info);
  std::string reason = sets::SaveParameterSheetPdf(html, argv[1]);
  if (reason.empty() && argc == 3) reason = sets::SaveParameterSheetHtml(html, argv[2]);
  if (!reason.empty()) {
    std::fprintf(stderr, "%s\n", reason.c_str());
    return 1;
  }
  return 0;
}
