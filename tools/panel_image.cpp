#include "tools/panel_image.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "runtime/testing/inspect_widgets.h"

namespace {
// The whole panel, also when its window is smaller than the panel and scrolls.
QImage PanelPicture(QWidget* window) {
  QWidget* canvas = window->findChild<QWidget*>("panelCanvas");
  return (canvas != nullptr ? canvas : window)->grab().toImage();
}
}  // namespace

int SavePanelsSideBySide(int mainPanel, int settingsPanel, const char* pngPath) {
  QWidget* mainWindow = InspectPanelWindow(mainPanel);
  QWidget* settingsWindow = InspectPanelWindow(settingsPanel);
  if (!mainWindow || !settingsWindow) return -1;
  QImage a = PanelPicture(mainWindow);
  QImage b = PanelPicture(settingsWindow);
  const int gap = static_cast<int>(16 * a.devicePixelRatio());
  a.setDevicePixelRatio(1.0);
  b.setDevicePixelRatio(1.0);
  QImage out(a.width() + gap + b.width(), std::max(a.height(), b.height()), QImage::Format_RGB32);
  out.fill(QColor(0x60, 0x66, 0x6c));
  {
    QPainter painter(&out);
    painter.drawImage(0, 0, a);
    painter.drawImage(a.width() + gap, 0, b);
  }
  if (!out.save(QString::fromLocal8Bit(pngPath))) {
    std::fprintf(stderr, "cannot write %s\n", pngPath);
    return -1;
  }
  std::printf("%s: %dx%d (main %dx%d, settings %dx%d)\n", pngPath, out.width(), out.height(),
              a.width(), a.height(), b.width(), b.height());
  return 0;
}

int SavePanel(int panel, const char* pngPath) {
  QWidget* window = InspectPanelWindow(panel);
  if (!window) return -1;
  QImage image = PanelPicture(window);
  if (!image.save(QString::fromLocal8Bit(pngPath))) {
    std::fprintf(stderr, "cannot write %s\n", pngPath);
    return -1;
  }
  std::printf("%s: %dx%d\n", pngPath, image.width(), image.height());
  return 0;
}
