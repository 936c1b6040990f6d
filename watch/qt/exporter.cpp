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
#include <QShortcut>
#include <algorithm>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "display/controls.h"
#include "display/data_curve.h"
#include "link/data_block.h"
#include "link/frame.h"
#include "monitor/line_entry.h"
#include "monitor/qt/line_monitor.h"
#include "runtime/file_write.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "watch/qt/graph_picture.h"
#include "watch/qt/main_panel.h"
#include "watch/video_csv.h"

namespace {

// Panel pixels: on the command row, right of "Record", under the graphs'
// right edge; after Record in the keyboard's order (after "Teach set-point"
// without it).
constexpr int kLeft = 616, kTop = 596, kWidth = 84, kHeight = 34;
constexpr char kTeachButton[] = "Teach set-point";
constexpr char kRecordButton[] = "Record";
// The graphs' labels in the panel resource, which the engine gives them as
// their accessible names.
constexpr char kScopeName[] = "Scope: edges, measured value, tolerance band";
constexpr char kDataGraphName[] = "Video line and threshold";

// Enter and Return open the menu as Space does: on this panel a focused command
// answers all three keys.
class ExportButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

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
  QMenu* menu() const { return widget()->findChild<QMenu*>("exportMenu"); }
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

// Whether the program has taken a video block from the sensor: a whole reply
// to a block request that is 64 levels, as the program takes it. Before one,
// the video line is the zeros it started with, nothing the sensor said.
bool g_videoRead = false;

void NoteVideoBlock(const monitor::LineEntry& entry, void*) {
  if (entry.kind == monitor::EntryKind::kReply && entry.order == ORD_DATA64 &&
      entry.bytes.size() == static_cast<size_t>(DATA_REPLY_LEN) &&
      IsVideoBlock(reinterpret_cast<const char*>(entry.bytes.data())) == 1)
    g_videoRead = true;
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

QByteArray VideoLineCsv() {
  const std::string text = watch::VideoCsv(std::span<const uint16_t, VIDEO_SAMPLES>(xArray),
                                           std::span<const uint16_t, VIDEO_SAMPLES>(adcbuf),
                                           std::span<const uint16_t, VIDEO_SAMPLES>(thdArray));
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* FindGraph(QWidget* panel, const char* name) {
  if (panel == nullptr) return nullptr;
  const QList<QWidget*> widgets = panel->findChildren<QWidget*>();
  const auto found = std::find_if(widgets.begin(), widgets.end(),
                                  [name](QWidget* w) { return w->accessibleName() == name; });
  return found == widgets.end() ? nullptr : *found;
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
    g_videoRead = false;
    AddLineEntryListener(NoteVideoBlock, nullptr);
    static const bool factory = (QAccessible::installFactory(ExportButtonFactory), true);
    (void)factory;
    // Made last: it attaches at once when the panel is already shown.
    watcher_ = std::make_unique<watch::MainPanelWatcher>(
        [this](QWidget* panel, QWidget* canvas) { attach(panel, canvas); });
  }
  ~Exporter() override {
    RemoveLineEntryListener(NoteVideoBlock, nullptr);
    watcher_.reset();
    delete menu_;
    delete button_;
    delete shortcut_;
  }

 private:
  void attach(QWidget* panel, QWidget* canvas) {
    button_ = new ExportButton("Export", canvas);
    button_->setAccessibleName("Export");
    button_->setToolTip("Export the video line as CSV or a graph as PNG (Ctrl+E)");
    button_->setAutoDefault(false);
    button_->setGeometry(kLeft, kTop, kWidth, kHeight);
    // The interface made while it was being built is a plain button's.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(button_.data());
        made != nullptr && dynamic_cast<ExportButtonAccessible*>(made) == nullptr)
      QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    connect(button_, &QPushButton::clicked, this, [this] { openMenu(); });
    QPushButton* before = nullptr;
    for (QPushButton* b : canvas->findChildren<QPushButton*>()) {
      if (b->accessibleName() == kRecordButton) before = b;
      if (b->accessibleName() == kTeachButton && before == nullptr) before = b;
    }
    if (before != nullptr) QWidget::setTabOrder(before, button_);
    button_->show();

    // The button's child, so that assistive technology finds the open menu
    // below it (ExportButtonAccessible).
    menu_ = new QMenu(button_);
    menu_->setObjectName("exportMenu");
    menu_->setAccessibleName("Export");
    menu_->addAction("&Video line as CSV...", [] {
      if (!g_videoRead) {
        Say("Export: no video line read yet; Video data reads one");
        return;
      }
      Export("video line", "video.csv", "*.csv", "Export video line", VideoLineCsv);
    });
    menu_->addAction("&Scope as PNG...", [this] { exportGraph("scope", kScopeName, "scope.png"); });
    menu_->addAction("&Data graph as PNG...",
                     [this] { exportGraph("data graph", kDataGraphName, "data.png"); });

    shortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), panel);
    connect(shortcut_, &QShortcut::activated, this, [this] { openMenu(); });
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

  void exportGraph(const char* what, const char* graphName, const char* defaultName) {
    QWidget* graph = FindGraph(watcher_->Panel(), graphName);
    if (graph == nullptr) {
      Say(QString("Export failed: the %1 is not on the main panel").arg(what));
      return;
    }
    Export(what, defaultName, "*.png", "Export graph", [graph] { return GraphPng(graph); });
  }

  std::unique_ptr<watch::MainPanelWatcher> watcher_;
  QPointer<ExportButton> button_;
  QPointer<QMenu> menu_;
  QPointer<QShortcut> shortcut_;
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
