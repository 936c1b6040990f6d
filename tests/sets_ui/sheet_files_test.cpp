// The parameter sheet's files: a one-page PDF and the HTML byte for byte, and
// nothing left behind where the file cannot be written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>

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

}  // namespace

// The PDF's layout needs the fonts of a QGuiApplication.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
