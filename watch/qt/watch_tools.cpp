#include "watch/qt/watch_tools.h"

#include "runtime/panel_slots.h"
#include "watch/qt/exporter.h"
#include "watch/qt/graph_readouts.h"
#include "watch/qt/recorder.h"
#include "watch/qt/trend.h"

namespace {

bool g_installed = false;
bool g_readouts = false;  // installed on a panel shown

void InstallReadouts(int, void*) {
  watch::InstallGraphReadouts();
  g_readouts = true;
}

}  // namespace

void InstallWatchTools() {
  if (g_installed) return;
  g_installed = true;
  AddPanelSlotsListener(InstallReadouts, nullptr);
  InstallTrend();
  InstallRecorder();
  InstallExporter();
}

void UninstallWatchTools() {
  if (!g_installed) return;
  g_installed = false;
  RemovePanelSlotsListener(InstallReadouts, nullptr);
  if (g_readouts) watch::RemoveGraphReadouts();
  g_readouts = false;
  UninstallExporter();
  UninstallRecorder();
  UninstallTrend();
}
