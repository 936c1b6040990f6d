#include "sets/qt/sheet_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>
#include <QTextDocument>

#include "runtime/file_write.h"

namespace sets {
namespace {

// Puts `bytes` in place whole or not at all, through the engine's one writer.
std::string Save(std::string_view bytes, const std::string& path) {
  const std::string reason = WriteFileWhole(path, bytes);
  if (reason.empty()) return {};
  return "Cannot write " + path + ": " + reason;
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
  // Drawn into memory first: the file is then written as every other file is,
  // and a disk that refuses it says so rather than leaving the drawing blamed.
  QByteArray pdf;
  {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    // The writer puts the PDF out when printing ends, so it is gone before
    // the bytes are taken. QTextDocument::print adds margins of 2 cm and page
    // numbers of its own; the page itself has none.
    QPdfWriter writer(&buffer);
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
  // print() reports nothing: a painter that could not start leaves no bytes.
  if (pdf.isEmpty()) return "Cannot write " + path + ": the PDF could not be drawn";
  return Save(std::string_view(pdf.constData(), static_cast<size_t>(pdf.size())), path);
}

std::string SaveParameterSheetHtml(const std::string& html, const std::string& path) {
  return Save(html, path);
}

}  // namespace sets
