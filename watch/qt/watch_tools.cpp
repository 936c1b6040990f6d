#include "watch/qt/watch_tools.h"

#include <QCoreApplication>
#include <QTimer>

#include "watch/qt/exporter.h"
#include "watch/qt/graph_readouts.h"
#include "watch/qt/main_panel.h"
#include "watch/qt/recorder.h"
#include "watch/qt/trend.h"

namespace {

bool g_installed = false;
watch::MainPanelWatcher* g_readouts = nullptr;

void InstallNow() {
  if (!g_installed || g_readouts != nullptr) return;
  g_readouts =
      new watch::MainPanelWatcher([](QWidget*, QWidget*) { watch::InstallGraphReadouts(); });
  InstallTrend();
  InstallRecorder();
  InstallExporter();
}

}  // namespace

void InstallWatchTools() {
  if (g_installed) return;
  g_installed = true;
  // The commands wait for the application; with one already there (tests),
  // they come at once.
  static bool preRoutineAdded = false;
  if (QCoreApplication::instance() != nullptr) {
    InstallNow();
  } else if (!preRoutineAdded) {
    preRoutineAdded = true;
    // Widgets made while the application is still being constructed are not
    // among its windows: they are made once its event loop first turns,
    // before any command can start a Run.
    qAddPreRoutine([] { QTimer::singleShot(0, InstallNow); });
  }
}

void UninstallWatchTools() {
  if (!g_installed) return;
  g_installed = false;
  if (g_readouts != nullptr && g_readouts->Panel() != nullptr) watch::RemoveGraphReadouts();
  delete g_readouts;
  g_readouts = nullptr;
  UninstallExporter();
  UninstallRecorder();
  UninstallTrend();
}
