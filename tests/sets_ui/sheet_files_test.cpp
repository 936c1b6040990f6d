// The parameter sheet's files: a one-page PDF and the HTML byte for byte, and
// nothing left behind where the file cannot be written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdlib>
#include <vector>

#include "sets/parameter_sheet.h"
#include "sets/qt/sheet_files.h"

namespace {

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SheetFiles, WrittenWholeOrNotAtAll) {
  QTemporaryDir dir;
  const std::string html = sets::ParameterSheetHtml({500, 0, 512}, sets::SheetInfo{});
  EXPECT_EQ(sets::SaveParameterSheetPdf(html, dir.filePath("s.pdf").toStdString()), "");
  EXPECT_EQ(sets::SaveParameterSheetHtml(html, dir.filePath("s.html").toStdString()), "");
  const QByteArray pdf = Read(dir.filePath("s.pdf"));
  EXPECT_TRUE(pdf.startsWith("%PDF-") && pdf.contains("/Count 1")) << pdf.left(64).data();
  EXPECT_EQ(Read(dir.filePath("s.html")).toStdString(), html);

  for (const auto save : {&sets::SaveParameterSheetPdf, &sets::SaveParameterSheetHtml}) {
    const std::string missing = dir.filePath("missing/s").toStdString();
    EXPECT_EQ(save(html, missing).rfind("Cannot write " + missing + ": ", 0), 0u);
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList({"s.html", "s.pdf"}));
}

// The font sizes the PDF's pages set, in the order they are drawn.
std::vector<double> FontSizes(const QByteArray& pdf) {
  std::vector<double> sizes;
  static const QRegularExpression stream("stream\\r?\\n(.*?)endstream",
                                         QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression size("/F\\w+ ([0-9.]+) Tf");
  for (const auto& m : stream.globalMatch(QString::fromLatin1(pdf))) {
    const QByteArray text = qUncompress(QByteArray("\0\1\0\0", 4) + m.captured(1).toLatin1());
    for (const auto& f : size.globalMatch(QString::fromLatin1(text)))
      sizes.push_back(f.captured(1).toDouble());
  }
  return sizes;
}

// The sheet is set in its own fonts: the program's are in screen pixels,
// which made the printed title smaller than the body and the page number a dot.
TEST(SheetFiles, TheTitleIsLargerThanTheBodyWhateverTheApplicationsFont) {
  QFont pixels = QGuiApplication::font();
  pixels.setPixelSize(12);  // as the engine sets it
  QGuiApplication::setFont(pixels);
  QTemporaryDir dir;
  const std::string html = sets::ParameterSheetHtml({500, 0, 512}, sets::SheetInfo{});
  ASSERT_EQ(sets::SaveParameterSheetPdf(html, dir.filePath("s.pdf").toStdString()), "");
  // The title, then the facts in the body's size, ..., the page number last.
  const std::vector<double> sizes = FontSizes(Read(dir.filePath("s.pdf")));
  ASSERT_GE(sizes.size(), 3u);
  EXPECT_GE(sizes.front(), 1.5 * sizes[1]) << "the title";
  EXPECT_EQ(sizes.back(), sizes[1]) << "the page number";
}

}  // namespace

// The PDF's layout needs the fonts of a QGuiApplication.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
