// vantrel-panelshot: pictures of the two panels of a panel resource, side by
// side in one PNG, for checking the layout (also at QT_SCALE_FACTOR=2).
//
//   vantrel-panelshot [--sample] Vantrel.uir out.png
//
// No callbacks are registered. --sample puts typical content on the panels
// (graphs with bars, bands, a video line and its threshold, cursors, texts) so
// that the look of the graphs can be judged too.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/testing/inspect_widgets.h"
#include "runtime/userint.h"
#include "tools/panel_image.h"

namespace {

void AddSampleContent(int main, int settings) {
  const char* infos[] = {"PC-SOFTWARE: Q-VOR Series", "Vendrix GmbH", "Tel: +49 000 000000"};
  const int tops[] = {8, 21, 36};
  for (int i = 0; i < 3; ++i) {
    const int id = NewCtrl(main, UI_CTRL_TEXT_MSG, "", tops[i], 15);
    SetCtrlAttribute(main, id, UI_ATTR_TEXT_FONT, "AppFont");
    SetCtrlAttribute(main, id, UI_ATTR_TEXT_COLOR, 0x0080FF);
    SetCtrlAttribute(main, id, UI_ATTR_TEXT_BGCOLOR, 0xFFFFFF);
    SetCtrlAttribute(main, id, UI_ATTR_TEXT_POINT_SIZE, 11);
    SetCtrlVal(main, id, infos[i]);
  }
  int id = NewCtrl(main, UI_CTRL_TEXT_MSG, "", 30, 175);
  SetCtrlAttribute(main, id, UI_ATTR_TEXT_COLOR, 0x0080FF);
  SetCtrlAttribute(main, id, UI_ATTR_TEXT_BGCOLOR, 0xFFFFFF);
  SetCtrlAttribute(main, id, UI_ATTR_TEXT_POINT_SIZE, 18);
  SetCtrlVal(main, id, "Vantrel");
  id = NewCtrl(main, UI_CTRL_TEXT_MSG, "", 36, 320);
  SetCtrlAttribute(main, id, UI_ATTR_TEXT_COLOR, 0x0080FF);
  SetCtrlAttribute(main, id, UI_ATTR_TEXT_BGCOLOR, 0xFFFFFF);
  SetCtrlAttribute(main, id, UI_ATTR_TEXT_POINT_SIZE, 11);
  SetCtrlVal(main, id, "V1.21");
  SetCtrlVal(main, 33, "Parameter-frame received! - Line Ok!");

  // Scope (control 36): bars, tolerance band, window frame, cursors.
  PlotRectangle(main, 36, 0, 0.25, 402, 1.0, 0xFF0000, 0xFF0000);
  PlotRectangle(main, 36, 1024, 0.25, 622, 1.0, 0xFF0000, 0xFF0000);
  PlotRectangle(main, 36, 412, 0.0, 612, 0.25, 0x00FF00, 0x00FF00);
  PlotRectangle(main, 36, 256, 0.0, 767, 1.0, 0xA0A0A0, 0xA0A0A0);
  SetGraphCursor(main, 36, 1, 512, 0.75);
  SetGraphCursor(main, 36, 2, 1, 0.75);
  SetGraphCursor(main, 36, 3, 520, 0.75);

  // Data graph (control 34): a video line and the threshold line.
  std::vector<uint16_t> x(256), y(256), thd(256, 512);
  for (int i = 0; i < 256; ++i) {
    x[i] = static_cast<uint16_t>(4 * i);
    const double shadow = (i > 100 && i < 155) ? 0.15 : 1.0;
    y[i] = static_cast<uint16_t>(820 * shadow + 60 * std::sin(i / 9.0));
  }
  PlotXY(main, 34, x.data(), y.data(), 256, UI_TYPE_U16, UI_TYPE_U16, 5, 10, 0, 1, 0xFF0000);
  PlotXY(main, 34, x.data(), thd.data(), 256, UI_TYPE_U16, UI_TYPE_U16, 5, 10, 0, 1, 0x008000);

  ReplaceTextBoxLine(settings, 2, 0,
                     "  CCD-SENSOR: 1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool sample = false;
  if (!args.empty() && args[0] == "--sample") {
    sample = true;
    args.erase(args.begin());
  }
  if (args.size() != 2 || args[0] == "--help" || args[0] == "-h") {
    std::fprintf(stderr,
                 "usage: vantrel-panelshot [--sample] <panel resource> <out.png>\n"
                 "Writes panels 1 and 2 of the resource side by side into one PNG.\n"
                 "--sample  fill graphs and texts with typical content first\n");
    return 2;
  }
  if (!InitRuntime(argc, argv)) return 1;
  const int main = LoadPanel(0, args[0].c_str(), 1);
  if (main < 0) return 1;
  const int settings = LoadPanel(main, args[0].c_str(), 2);
  if (settings < 0) return 1;
  if (sample) AddSampleContent(main, settings);
  DisplayPanel(main);
  DisplayPanel(settings);
  // Let layouts settle and the throttled graph repaint happen.
  for (int i = 0; i < 60; ++i) ProcessSystemEvents();

  const int result = SavePanelsSideBySide(main, settings, args[1].c_str());
  DiscardPanel(settings);
  DiscardPanel(main);
  return result == 0 ? 0 : 1;
}
