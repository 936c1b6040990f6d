#include "sets/qt/sheet_files.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QString>
#include <QTextDocument>

namespace sets {
namespace {

std::string Reason(const QSaveFile& file, const std::string& path) {
  return "Cannot write " + path + ": " + file.errorString().toStdString();
}

// Replaces the file at `path` once everything is written; a failure before
// that discards the temporary file.
std::string Commit(QSaveFile& file, const std::string& path) {
  if (!file.commit()) return Reason(file, path);
  return {};
}

// The sheet's body font in points (the size of its style's body); the title
// and the headings are sized from it.
QFont SheetFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(10);
  return font;
}

}  // namespace

std::string SaveParameterSheetPdf(const std::string& html, const std::string& path) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return Reason(file, path);
  {
    // The writer puts the PDF out when printing ends, so it is gone before
    // the commit. QTextDocument::print adds margins of 2 cm and page numbers
    // of its own; the page itself has none.
    QPdfWriter writer(&file);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("Vantrel parameter sheet"));
    writer.setCreator(QStringLiteral("Vantrel"));
    QTextDocument document;
    // The sheet's own font in points, not the application's: the program's
    // is set in screen pixels, which on a 300 dpi page make the title and
    // the headings (sized from this font) smaller than the body and the page
    // number a dot. So the program and the documentation tool print alike.
    document.setDefaultFont(SheetFont());
    document.setHtml(QString::fromStdString(html));
    document.print(&writer);
  }
  // print() reports nothing: a painter that could not start leaves the file empty.
  if (file.size() == 0) {
    file.cancelWriting();
    return "Cannot write " + path + ": the PDF could not be drawn";
  }
  return Commit(file, path);
}

std::string SaveParameterSheetHtml(const std::string& html, const std::string& path) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return Reason(file, path);
  if (file.write(html.data(), static_cast<qint64>(html.size())) !=
      static_cast<qint64>(html.size())) {
    file.cancelWriting();
    return Reason(file, path);
  }
  return Commit(file, path);
}

}  // namespace sets
