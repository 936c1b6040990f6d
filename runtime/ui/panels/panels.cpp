// Loading, showing, hiding and discarding panels.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "runtime/engine/engine.h"
#include "runtime/ui/panels/panel_resource.h"
#include "runtime/ui/panels/panel_window.h"

namespace {

// Why the last LoadPanel failed, as the line it wrote on stderr.
QString g_loadError;

int RefuseResource(int code, const QString& path, const QString& reason) {
  g_loadError = QString("panel resource %1: %2").arg(path, reason);
  std::fprintf(stderr, "%s\n", qPrintable(g_loadError));
  return code;
}

// A relative name is looked for beside the program first (where the build puts
// the resource), then in the current directory.
QString ResolveResourceFile(const char* fileName) {
  const QString name = QString::fromLocal8Bit(fileName);
  if (QFileInfo(name).isAbsolute()) return name;
  const QString besideProgram = QDir(QCoreApplication::applicationDirPath()).filePath(name);
  if (QFileInfo::exists(besideProgram)) return besideProgram;
  return QDir::current().filePath(name);
}

// A callback name registered for the other kind (a panel callback named on a
// control, or the reverse) would be called with the wrong arguments: refuse
// the file. Names nobody registered are only reported when the panel is built.
bool CallbackKindsMatch(const std::vector<PanelSpec>& panels, QString* error) {
  for (const PanelSpec& panel : panels) {
    const std::string name = panel.callback.toStdString();
    if (!name.empty() && LookUpPanelCallback(name) == nullptr &&
        LookUpCtrlCallback(name) != nullptr) {
      *error = QString("panel %1: \"%2\" is a control callback, not a panel callback")
                   .arg(panel.number)
                   .arg(panel.callback);
      return false;
    }
    for (const ControlSpec& c : panel.controls) {
      const std::string cname = c.callback.toStdString();
      if (!cname.empty() && LookUpCtrlCallback(cname) == nullptr &&
          LookUpPanelCallback(cname) != nullptr) {
        *error = QString(
                     "panel %1, control id %2: \"%3\" is a panel callback, not a control "
                     "callback")
                     .arg(panel.number)
                     .arg(c.id)
                     .arg(c.callback);
        return false;
      }
    }
  }
  return true;
}

void DiscardWindow(PanelWindow* window) {
  Engine& e = TheEngine();
  // Child panels are owned by their parent's window and would go with it;
  // discard them first so that their handles die cleanly too.
  for (auto& [handle, other] : std::map<int, QPointer<PanelWindow>>(e.panels)) {
    if (!other.isNull() && other->parentPanel() == window) DiscardWindow(other.data());
  }
  e.panels.erase(window->handle());
  window->markDiscarded();
  window->hide();
  if (e.callbackDepth == 0) {
    delete window;
  } else {
    // A widget of this window may be dispatching the running callback.
    e.graveyard.push_back(window);
  }
}

}  // namespace

int LoadPanel(int parent, const char* fileName, int panelNumber) {
  Engine& e = TheEngine();
  if (!e.started) return UIE_NOT_INITIALISED;
  PanelWindow* parentWindow = nullptr;
  if (parent != 0) {
    parentWindow = FindPanel(parent);
    if (parentWindow == nullptr) return UIE_NO_SUCH_PANEL;
  }
  if (fileName == nullptr) return UIE_FILE_NOT_FOUND;

  const QString path = ResolveResourceFile(fileName);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return RefuseResource(UIE_FILE_NOT_FOUND, path, "cannot be read: " + file.errorString());
  PanelSpec spec;
  std::vector<PanelSpec> all;
  QString error;
  int result = ParsePanelResource(file.readAll(), panelNumber, &spec, &error, &all);
  if (result == 0 && !CallbackKindsMatch(all, &error)) result = UIE_BAD_RESOURCE;
  if (result < 0) return RefuseResource(result, path, error);
  g_loadError.clear();

  const int handle = e.nextHandle++;
  auto* window = new PanelWindow(handle, spec, parentWindow);
  e.panels[handle] = window;
  return handle;
}

int GetPanelLoadError(char* text, size_t textSize) {
  if (text == nullptr || textSize == 0) return UIE_BAD_VALUE;
  const QByteArray latin1 = g_loadError.toLatin1();
  const size_t n = std::min(textSize - 1, static_cast<size_t>(latin1.size()));
  std::memcpy(text, latin1.constData(), n);
  text[n] = '\0';
  return 0;
}

int DisplayPanel(int panel) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return UIE_NO_SUCH_PANEL;
  window->showPanel();
  return 0;
}

int SetPanelAttribute(int panel, int attribute, const char* text) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return UIE_NO_SUCH_PANEL;
  if (attribute != UI_ATTR_TITLE || text == nullptr) return UIE_BAD_VALUE;
  window->setWindowTitle(QString::fromLatin1(text));
  return 0;
}

int HidePanel(int panel) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return UIE_NO_SUCH_PANEL;
  window->hidePanel();
  return 0;
}

int DiscardPanel(int panel) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return UIE_NO_SUCH_PANEL;
  DiscardWindow(window);
  return 0;
}
