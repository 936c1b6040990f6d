#include "watch/qt/exporter.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "app/program_face.h"
#include "runtime/file_write.h"
#include "runtime/panel_slots.h"
#include "runtime/utility.h"
#include "watch/qt/graph_picture.h"
#include "watch/qt/status_line.h"
#include "watch/video_csv.h"

namespace {

// The command row's second cell: right of Record, after it in the keyboard's
// order (after "Teach set-point" without it).
constexpr char kSlot[] = "command-row";
constexpr int kPosition = 1;

// Enter and Return open the menu as Space does: on this panel a focused command
// answers all three keys.
class ExportButton : public QPushButton {
 public:
  using QPushButton::QPushButton;
  QPointer<QMenu> menu;  // its menu, a child of it

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !event->isAutoRepeat() &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      click();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

// The button has the open menu as its one child in the accessible tree: a
// menu is a window of its own, which the tree would otherwise leave out.
class ExportButtonAccessible : public QAccessibleWidget {
 public:
  explicit ExportButtonAccessible(QWidget* button)
      : QAccessibleWidget(button, QAccessible::ButtonMenu) {}
  QMenu* menu() const { return static_cast<ExportButton*>(widget())->menu.data(); }
  int childCount() const override { return menu() != nullptr && menu()->isVisible() ? 1 : 0; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 && childCount() == 1 ? QAccessible::queryAccessibleInterface(menu())
                                           : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && childCount() == 1 && child->object() == menu() ? 0 : -1;
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.hasPopup = true;
    s.expanded = childCount() == 1;
    s.collapsed = !s.expanded;
    return s;
  }
};

QAccessibleInterface* ExportButtonFactory(const QString&, QObject* object) {
  if (auto* button = dynamic_cast<ExportButton*>(object)) return new ExportButtonAccessible(button);
  return nullptr;
}

void Say(const QString& text) {
  watch::SayInStatusLine(text);
}

// Writes `bytes` to `path` whole or not at all: the file at `path` keeps what
// it held unless the new one is whole on the disk. Returns the reason of a
// failure, or an empty string.
QString SaveWhole(const QString& path, const QByteArray& bytes) {
  const std::string reason =
      WriteFileWhole(path.toLocal8Bit().toStdString(),
                     std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  return QString::fromLocal8Bit(reason.c_str());
}

// The file the operator chooses; empty when the dialog was cancelled. A dialog
// that could not be shown says so.
QString AskForFile(const char* defaultName, const char* filter, const char* title) {
  char path[UI_PATH_MAX] = "";
  const QByteArray dir = QDir::currentPath().toLocal8Bit();
  const int chosen = FileSelectPopup(dir.constData(), defaultName, filter, title, UI_FILE_BUTTON_OK,
                                     0, 1, 1, 1, path);
  if (chosen < 0) Say("Export failed: no file dialog could be shown");
  if (chosen <= 0) return QString();
  return QString::fromLocal8Bit(path);
}

// Asks for a file and writes what `contents` makes (nothing when it makes no
// bytes); `what` names the export in the status line. The contents are taken before the dialog, so
// the file holds what was shown when the command was chosen.
void Export(const char* what, const char* defaultName, const char* filter, const char* title,
            const std::function<QByteArray()>& contents) {
  const QByteArray bytes = contents();
  if (bytes.isEmpty()) {
    Say(QString("Export failed: the %1 could not be encoded").arg(what));
    return;
  }
  const QString path = AskForFile(defaultName, filter, title);
  if (path.isEmpty()) return;
  const QString error = SaveWhole(path, bytes);
  if (!error.isEmpty()) {
    Say(QString("Export failed: %1: %2").arg(path, error));
    return;
  }
  Say(QString("Exported %1 to %2").arg(what, path));
}

QByteArray VideoLineCsv(const VideoLine& line) {
  const std::string text = watch::VideoCsv(std::span<const uint16_t, VIDEO_LINE>(line.x),
                                           std::span<const uint16_t, VIDEO_LINE>(line.level),
                                           std::span<const uint16_t, VIDEO_LINE>(line.threshold));
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Empty when the picture could not be encoded.
QByteArray GraphPng(QWidget* graph) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!GraphPicture(graph, ExportContextLine()).save(&buffer, "PNG")) return QByteArray();
  return png;
}

class Exporter : public QObject {
 public:
  Exporter() {
    static const bool factory = (QAccessible::installFactory(ExportButtonFactory), true);
    (void)factory;
    // Last: it attaches at once when the panel is already shown.
    AddPanelSlotsListener(&Exporter::Attach, this);
  }
  ~Exporter() override {
    RemovePanelSlotsListener(&Exporter::Attach, this);
    delete menu_;
    delete button_;
  }

 private:
  static void Attach(int panel, void* exporter) { static_cast<Exporter*>(exporter)->attach(panel); }

  void attach(int panel) {
    button_ = new ExportButton;
    button_->setAutoDefault(false);
    connect(button_, &QPushButton::clicked, this, [this] { openMenu(); });
    if (AddSlotCommand(
            panel, kSlot, button_,
            {"Export", "Export", "Export the video line as CSV or a graph as PNG (Ctrl+E)",
             QKeySequence(Qt::CTRL | Qt::Key_E), kPosition}) != 0) {
      delete button_;
      return;
    }
    // The interface made while it was being built is a plain button's.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(button_.data());
        made != nullptr && dynamic_cast<ExportButtonAccessible*>(made) == nullptr)
      QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));

    // The button's child, so that assistive technology finds the open menu
    // below it (ExportButtonAccessible).
    menu_ = new QMenu(button_);
    button_->menu = menu_;
    menu_->setObjectName("exportMenu");
    menu_->setAccessibleName("Export");
    menu_->addAction("&Video line as CSV...", [] {
      VideoLine line;
      GetVideoLine(&line);
      // Before a block came from the sensor the line is the zeros it started
      // with, nothing the sensor said.
      if (line.read == 0) {
        Say("Export: no video line read yet; Video data reads one");
        return;
      }
      Export("video line", "video.csv", "*.csv", "Export video line",
             [&line] { return VideoLineCsv(line); });
    });
    menu_->addAction("&Scope as PNG...",
                     [] { exportGraph("scope", &ProgramGraphs::scope, "scope.png"); });
    menu_->addAction("&Data graph as PNG...",
                     [] { exportGraph("data graph", &ProgramGraphs::data, "data.png"); });
  }

  // Opens without waiting (no nested loop of its own): the command it runs
  // comes from the ordinary event processing, also during a loop.
  void openMenu() {
    if (!menu_ || !button_) return;
    const QList<QAction*> items = menu_->actions();
    menu_->popup(button_->mapToGlobal(QPoint(0, button_->height())));
    // Ready for the keyboard: the first item is the current one.
    if (!items.isEmpty()) menu_->setActiveAction(items.first());
  }

  // The graph the program names (by its control, whatever its label says).
  static void exportGraph(const char* what, int32_t ProgramGraphs::*which,
                          const char* defaultName) {
    ProgramGraphs graphs;
    GetProgramGraphs(&graphs);
    QWidget* graph = GraphOf(graphs.panel, graphs.*which);
    if (graph == nullptr) {
      Say(QString("Export failed: the %1 is not on the main panel").arg(what));
      return;
    }
    Export(what, defaultName, "*.png", "Export graph", [graph] { return GraphPng(graph); });
  }

  QPointer<ExportButton> button_;
  QPointer<QMenu> menu_;
};

Exporter* g_exporter = nullptr;

}  // namespace

void InstallExporter() {
  if (g_exporter == nullptr) g_exporter = new Exporter;
}

void UninstallExporter() {
  delete g_exporter;
  g_exporter = nullptr;
}
