#include "watch/qt/watch_tools.h"

#include <QCoreApplication>

namespace {

bool g_installed = false;

void InstallNow() {
  if (!g_installed) return;
}

}  // namespace

void InstallWatchTools() {
  if (g_installed) return;
  g_installed = true;
  static bool preRoutineAdded = false;
  if (QCoreApplication::instance() != nullptr) {
    InstallNow();
  } else if (!preRoutineAdded) {
    preRoutineAdded = true;
    qAddPreRoutine(InstallNow);
  }
}

void UninstallWatchTools() {
  if (!g_installed) return;
  g_installed = false;
}
