// Engine start-up: the application object, one look on every machine, the
// press filter and the accessibility descriptions.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/engine/engine.h"
#include "runtime/engine/wait_core.h"
#include "runtime/event_wait.h"
#include "runtime/ui/input/press_filter.h"
#include "runtime/ui/repaint_pass.h"

void InstallAccessibility();  // accessibility.cpp

namespace {

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && v[0] != '\0';
}

// Qt aborts the process when its platform cannot connect; find out first and
// say what to do instead.
bool DisplayReachable() {
#if defined(__linux__)
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const bool x11 = EnvSet("DISPLAY");
  const bool wayland = EnvSet("WAYLAND_DISPLAY");
  if (platform == nullptr || platform[0] == '\0') return x11 || wayland;
  if (std::strncmp(platform, "xcb", 3) == 0) return x11;
  if (std::strncmp(platform, "wayland", 7) == 0) return wayland;
#endif
  return true;
}

// A neutral light palette: panels look the same whatever desktop theme the
// machine has.
QPalette PanelPalette() {
  QPalette p;
  const QColor window(0xe9, 0xec, 0xef);
  const QColor text(0x1c, 0x22, 0x28);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, QColor(0xff, 0xff, 0xff));
  p.setColor(QPalette::AlternateBase, QColor(0xf3, 0xf5, 0xf7));
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(0xf4, 0xf6, 0xf8));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::Highlight, QColor(0x1e, 0x6f, 0xc8));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe8));
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, QColor(0x80, 0x88, 0x90));
  p.setColor(QPalette::Light, Qt::white);
  p.setColor(QPalette::Midlight, QColor(0xdc, 0xe0, 0xe4));
  p.setColor(QPalette::Mid, QColor(0xb4, 0xbb, 0xc2));
  p.setColor(QPalette::Dark, QColor(0x8c, 0x94, 0x9c));
  p.setColor(QPalette::Shadow, QColor(0x50, 0x56, 0x5c));
  const QColor disabledText(0x98, 0x9f, 0xa6);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, disabledText);
  p.setColor(QPalette::Disabled, QPalette::Base, QColor(0xf1, 0xf3, 0xf5));
  p.setColor(QPalette::Disabled, QPalette::Button, QColor(0xee, 0xf0, 0xf2));
  return p;
}

void ApplyLook(QApplication& app) {
  if (QStyle* fusion = QStyleFactory::create("Fusion")) app.setStyle(fusion);
  app.setPalette(PanelPalette());
  // Sizes in pixels, because panels are laid out in panel pixels: 12 px is the
  // usual 9 pt at 96 dpi, and scales with the display like everything else.
  QFont font("DejaVu Sans");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(12);
  app.setFont(font);
}

}  // namespace

int InitRuntime(int argc, char** argv) {
  Engine& e = TheEngine();
  if (e.started) return 1;
  if (!DisplayReachable()) {
    std::fprintf(stderr, "no display: run under xvfb-run, or set QT_QPA_PLATFORM=offscreen\n");
    return 0;
  }
  // QApplication keeps references to argc and argv for its whole life.
  static int appArgc = 0;
  static char* emptyArgv[] = {const_cast<char*>("vantrel"), nullptr};
  appArgc = argc > 0 ? argc : 1;
  char** appArgv = (argc > 0 && argv != nullptr) ? argv : emptyArgv;
  if (QApplication::instance() == nullptr) new QApplication(appArgc, appArgv);
  auto* app = qobject_cast<QApplication*>(QApplication::instance());
  if (app == nullptr) {
    std::fprintf(stderr, "the engine needs a widget application\n");
    return 0;
  }
  app->setQuitOnLastWindowClosed(false);
  ApplyLook(*app);
  InstallPressFilter();
  InstallAccessibility();
  // The waiting core on the widget application; every round of it first
  // destroys the windows discarded meanwhile and hands the paints that are
  // due to Qt, so that what polling code drew since the last round is
  // painted in this one.
  InitEventCore(appArgc, appArgv);
  SetEventRoundHook([] {
    DestroyDiscardedPanels();
    FlushDueRepaints();
  });
  // SIGTERM and SIGINT end the program as its own quit does.
  WatchTerminationSignals([] { QuitUserInterface(0); });
  e.started = true;
  return 1;
}
