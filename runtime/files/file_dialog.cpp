// The file dialog, and the answer provider asked before it is shown.
#include "runtime/files/file_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <cstring>
#include <map>
#include <string>

#include "runtime/engine/engine.h"
#include "runtime/ui/panels/panel_window.h"
#include "runtime/utility.h"

namespace {

FileSelectAnswerProvider g_answerProvider = nullptr;

// Where the last dialog of each kind (its filter) ended, for the rest of the
// run: the folder of the chosen file, or the one shown when it was cancelled.
std::map<std::string, QString>& LastDirectories() {
  static std::map<std::string, QString> directories;
  return directories;
}

QString Text(const char* s) {
  return QString::fromLocal8Bit(s != nullptr ? s : "");
}

// "*.dat" gives "DAT files (*.dat)" and "All files (*)"; several patterns may be
// separated by ';'.
QStringList NameFilters(const QString& filter) {
  QStringList filters;
  const QStringList patterns = filter.split(';', Qt::SkipEmptyParts);
  if (!patterns.isEmpty() && filter.trimmed() != "*" && filter.trimmed() != "*.*") {
    QString kind = QFileInfo(patterns.first().trimmed()).suffix().toUpper();
    if (kind.isEmpty() || kind.contains('*')) kind = "Matching";
    filters << QString("%1 files (%2)").arg(kind, patterns.join(' '));
  }
  filters << "All files (*)";
  return filters;
}

// Whether `folder` is the system's: where installed programs live (the
// package's /usr/lib/vantrel), never a place for the operator's files, even
// for root, who may write there.
bool IsSystemFolder(const QFileInfo& folder) {
  const QString path = folder.canonicalFilePath();
  return path == "/usr" || path.startsWith("/usr/") || path == "/opt" || path.startsWith("/opt/");
}

// Where an unrestricted dialog starts: the folder it was given, unless the
// operator cannot write there or it is the system's (the program's folder of
// an installed program), then the home folder, where their files belong.
QString StartingDirectory(const QString& directory) {
  const QFileInfo folder(directory);
  if (directory.isEmpty() || (folder.isDir() && folder.isWritable() && !IsSystemFolder(folder)))
    return directory;
  return QDir::homePath();
}

// The patterns of a filter ("*.pdf;*.html").
QStringList Patterns(const QString& filter) {
  QStringList patterns;
  for (const QString& pattern : filter.split(';', Qt::SkipEmptyParts))
    patterns << pattern.trimmed();
  return patterns;
}

// A name for a file restricted to the filter: a name no pattern matches takes
// the first pattern's extension in place of its own ("x.txt" under "*.dat"
// becomes "x.dat", "x" becomes "x.dat"). Unchanged when the first pattern
// names no extension.
QString WithFilterExtension(const QString& path, const QStringList& patterns) {
  const QString suffix = patterns.isEmpty() ? QString() : QFileInfo(patterns.first()).suffix();
  if (suffix.isEmpty() || suffix.contains('*') || suffix.contains('?')) return path;
  const QFileInfo file(path);
  for (const QString& pattern : patterns) {
    const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern),
                                   QRegularExpression::CaseInsensitiveOption);
    if (match.match(file.fileName()).hasMatch()) return path;
  }
  const QString base = file.suffix().isEmpty() ? file.fileName() : file.completeBaseName();
  return QDir(file.path()).filePath(base + "." + suffix);
}

// A save dialog whose file takes the filter's extension before the dialog
// accepts it, so that the question whether to replace a file asks about the
// file that will be written.
class RestrictedSaveDialog : public QFileDialog {
 public:
  RestrictedSaveDialog(QWidget* parent, const QString& title, const QString& folder,
                       const QStringList& patterns)
      : QFileDialog(parent, title, folder), patterns_(patterns) {}

  void accept() override {
    const QStringList files = selectedFiles();
    if (!files.isEmpty()) {
      const QString named = WithFilterExtension(files.first(), patterns_);
      if (named != files.first()) {
        // The name field keeps what was typed while it has the focus; the
        // dialog takes the name from there.
        if (auto* name = findChild<QLineEdit*>("fileNameEdit"))
          name->setText(QFileInfo(named).fileName());
        else
          selectFile(named);
      }
    }
    QFileDialog::accept();
  }

 private:
  const QStringList patterns_;
};

// Copies a path into the program's fixed buffer; false when it does not fit.
bool CopyPath(const QByteArray& path, char* out) {
  if (path.size() > UI_PATH_MAX - 1) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, path.constData(), static_cast<size_t>(path.size()));
  out[path.size()] = '\0';
  return true;
}

// The active panel, so that the dialog is modal over the window it came from.
QWidget* DialogParent() {
  QWidget* active = QApplication::activeWindow();
  if (qobject_cast<PanelWindow*>(active) != nullptr) return active;
  for (const auto& [handle, panel] : TheEngine().panels)
    if (!panel.isNull() && panel->isVisible()) return panel.data();
  return nullptr;
}

}  // namespace

FileSelectAnswerProvider SetFileSelectAnswerProvider(FileSelectAnswerProvider provider) {
  const FileSelectAnswerProvider before = g_answerProvider;
  g_answerProvider = provider;
  return before;
}

void ForgetFileSelectFolders() {
  LastDirectories().clear();
}

int FileSelectPopup(const char* defaultDirectory, const char* defaultFileName, const char* filter,
                    const char* title, int buttonKind, int restrictDirectory, int restrictExtension,
                    int allowCancel, int allowMakeDirectory, char* pathOut) {
  if (pathOut == nullptr) return UI_FILE_SELECT_FAILED;
  const QString directory = Text(defaultDirectory);
  QString& lastDirectory = LastDirectories()[Text(filter).toStdString()];
  const QString opensIn = restrictDirectory != 0     ? directory
                          : !lastDirectory.isEmpty() ? lastDirectory
                                                     : StartingDirectory(directory);

  if (g_answerProvider != nullptr) {
    FileSelectRequest request;
    request.directory = directory.toStdString();
    request.fileName = Text(defaultFileName).toStdString();
    request.filter = Text(filter).toStdString();
    request.title = Text(title).toStdString();
    request.opensIn = opensIn.toStdString();
    request.buttonKind = buttonKind;
    request.restrictDirectory = restrictDirectory;
    request.restrictExtension = restrictExtension;
    request.allowCancel = allowCancel;
    request.allowMakeDirectory = allowMakeDirectory;
    FileSelectAnswer answer;
    if (g_answerProvider(request, &answer)) {
      if (!CopyPath(QByteArray::fromStdString(answer.path), pathOut)) return UI_FILE_SELECT_FAILED;
      if (answer.result > 0) lastDirectory = QFileInfo(Text(pathOut)).absolutePath();
      return answer.result;
    }
  }

  pathOut[0] = '\0';
  if (!TheEngine().started) return UI_FILE_SELECT_FAILED;
  const bool load = buttonKind == UI_FILE_BUTTON_LOAD;
  const bool restricted = restrictExtension != 0 && !load;
  RestrictedSaveDialog dialog(DialogParent(), Text(title), opensIn,
                              restricted ? Patterns(Text(filter)) : QStringList());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(load ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(load ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // A save dialog's button says what it does, as the operator's desktop does.
  dialog.setLabelText(QFileDialog::Accept, load ? "Load" : "Save");
  const QStringList filters = NameFilters(Text(filter));
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.first());
  if (defaultFileName != nullptr && defaultFileName[0] != '\0')
    dialog.selectFile(Text(defaultFileName));
  // Without the right to make folders the dialog offers no "new folder".
  if (allowMakeDirectory == 0) dialog.setOption(QFileDialog::ReadOnly);
  if (restrictDirectory != 0) {
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                     [&dialog, directory](const QString& entered) {
                       if (QFileInfo(entered) != QFileInfo(directory))
                         dialog.setDirectory(directory);
                     });
  }
  if (allowCancel == 0) {
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
      if (QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel)) cancel->hide();
  }

  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    lastDirectory = dialog.directory().absolutePath();
    return UI_FILE_CANCELLED;
  }
  const QString chosen = dialog.selectedFiles().first();
  lastDirectory = QFileInfo(chosen).absolutePath();
  if (!CopyPath(chosen.toLocal8Bit(), pathOut)) return UI_FILE_SELECT_FAILED;
  return QFileInfo::exists(chosen) ? UI_FILE_SELECTED_EXISTING : UI_FILE_SELECTED_NEW;
}
