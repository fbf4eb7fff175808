#include "printing/PagePrinter.h"

#include "platform/SafeFile.h"
#include "surface/SurfaceFixture.h"
#include "support/ImageProbe.h"
#include "support/PdfTools.h"
#include "support/RecordingPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska::test {
namespace {

class PagePrinterTest : public SurfaceTest {
protected:
  const TPageDevice Screen{QSize(700, 1000), 96};

  void SetUp() override
  {
    SurfaceTest::SetUp();
    S.Width = 1500;
    S.Height = 2500;
    S.DiagramName = QStringLiteral("Sales Model");
  }
};

TEST_F(PagePrinterTest, EachPageIsATitledJobOfItsOwnInColumnOrder)
{
  Place(1450, 100);  // on the third page of the first row
  const QList<QPoint> pages = PrintOrder({QPoint(2, 0), QPoint(0, 1), QPoint(0, 0), QPoint(2, 0)});
  EXPECT_EQ(pages, (QList<QPoint>{QPoint(0, 0), QPoint(0, 1), QPoint(2, 0)}));

  TRecordingPrinter printer(Screen);
  PrintPages(S, printer, pages);
  ASSERT_EQ(printer.Jobs.size(), 3u);
  for (const auto& job : printer.Jobs)
    EXPECT_EQ(job.Title, QStringLiteral("VESKA - Sales Model"));
  // The entity is printed 1400 pixels to the left, on the third job only.
  EXPECT_GT(DarkPixels(printer.Jobs[2].Page, QRect(50, 100, 64, 18)), 20);
  EXPECT_EQ(DarkPixels(printer.Jobs[0].Page, QRect(0, 50, 700, 200)), 0);
  // Every job carries its page mark.
  for (const auto& job : printer.Jobs)
    EXPECT_GT(DarkPixels(job.Page, QRect(0, 0, 60, 14)), 0);
}

TEST_F(PagePrinterTest, AJobThatCannotStartStopsPrintingWithAnErrorAfterTheJobsBefore)
{
  TRecordingPrinter printer(Screen);
  printer.FailJob = 1;
  EXPECT_THROW(PrintPages(S, printer, {QPoint(0, 0), QPoint(1, 0), QPoint(2, 0)}), TPrintError);
  EXPECT_EQ(printer.Jobs.size(), 1u);
}

TEST_F(PagePrinterTest, PdfFileHoldsOneA4PagePerPrintedPageInPrintOrder)
{
  // On A4 at the writer's resolution a page is about 746 surface pixels wide.
  const TPageDevice device = PdfPageDevice(DefaultPdfLayout());
  const TPageGrid grid = PageGrid(S, device);
  ASSERT_GT(grid.PageLeft(1), 700);
  ASSERT_LT(grid.PageLeft(1), 800);
  Place(int(grid.PageLeft(1)) + 50, 100);

  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("pages.pdf"));
  EXPECT_EQ(WritePagesPdf(S, {QPoint(1, 1), QPoint(1, 0), QPoint(0, 0)}, file), 3);

  EXPECT_EQ(PdfPageCount(file), 3);
  const QString info = RunPdfTool(QStringLiteral("pdfinfo"), {file});
  EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("VESKA - Sales Model"))) << info.toStdString();
  const auto pageText = [&](int n) { return PdfPageText(file, n); };
  EXPECT_TRUE(pageText(1).contains(QStringLiteral("Page(1,1)")));
  const QString second = pageText(2);
  EXPECT_TRUE(second.contains(QStringLiteral("Page(1,2)"))) << second.toStdString();
  EXPECT_TRUE(second.contains(QStringLiteral("Entity1_0"))) << second.toStdString();
  EXPECT_TRUE(pageText(3).contains(QStringLiteral("Page(2,2)")));
}

TEST_F(PagePrinterTest, NoPagesWriteNoFileAndAFailedWriteKeepsTheOldFile)
{
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("old.pdf"));
  WriteFileSafely(file, QByteArrayLiteral("old"));
  EXPECT_EQ(WritePagesPdf(S, {}, file), 0);
  EXPECT_EQ(ReadRegularFile(file), QByteArrayLiteral("old"));

  EXPECT_THROW(WritePagesPdf(S, {QPoint(0, 0)}, dir.filePath(QStringLiteral("missing/new.pdf"))), TFileAccessError);
  // A directory in the way of the file: the write fails, the directory stays.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.pdf")));
  EXPECT_THROW(WritePagesPdf(S, {QPoint(0, 0)}, dir.filePath(QStringLiteral("taken.pdf"))), TFileAccessError);
  EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("taken.pdf"))).isDir());
}

}  // namespace
}  // namespace veska::test
