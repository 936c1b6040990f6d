#include "watch/qt/watch_tools.h"

#include "monitor/qt/line_monitor.h"
#include "watch/qt/exporter.h"
#include "watch/qt/graph_readouts.h"
#include "watch/qt/main_panel.h"
#include "watch/qt/recorder.h"
#include "watch/qt/trend.h"

namespace {

bool g_installed = false;
watch::MainPanelWatcher* g_readouts = nullptr;

void SayLocal8(const char* text) {
  watch::SayInStatusLine(QString::fromLocal8Bit(text));
}

void InstallNow() {
  if (!g_installed || g_readouts != nullptr) return;
  // A trace file that stopped is said where the recording's own failures are.
  SetLineMonitorSay(SayLocal8);
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
  SetLineMonitorSay(nullptr);
  UninstallExporter();
  UninstallRecorder();
  UninstallTrend();
}
