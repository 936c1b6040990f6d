#include "watch/qt/watch_tools.h"

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
  watch::WhenApplicationRuns(InstallNow);
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
