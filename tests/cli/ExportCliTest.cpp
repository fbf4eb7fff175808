// veska-cli export: the picture formats by OUT's extension, the resolution,
// and the exit statuses of the other commands.
#include "cli/CliRun.h"
#include "diagramfile/DiagramFile.h"
#include "printing/PagePrinter.h"
#include "platform/TextMeasurer.h"
#include "support/PdfTools.h"
#include "support/RecordingMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSvgRenderer>

namespace {

using namespace veska::test;
using veska::TDrawingSurface;

TEST_F(CliTest, ExportWritesEachFormatByOutsExtension)
{
  TRun run = Cli({"export", kSample, Path("sales.pdf")});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(PdfPageCount(Path("sales.pdf")), 1);
  const QString text = PdfText(Path("sales.pdf"));
  EXPECT_TRUE(text.contains(QStringLiteral("Customer")) && text.contains(QStringLiteral("Sales Order")))
      << text.toStdString();

  EXPECT_EQ(Cli({"export", kSample, Path("sales.svg")}).Status, 0);
  QSvgRenderer svg(Path("sales.svg"));
  ASSERT_TRUE(svg.isValid());

  // The PNG is twice the SVG's size by default and as large at 96 dpi.
  EXPECT_EQ(Cli({"export", kSample, Path("sales.png")}).Status, 0);
  EXPECT_EQ(QImage(Path("sales.png")).size(), svg.defaultSize() * 2);
  EXPECT_EQ(Cli({"export", "--dpi", "96", kSample, Path("small.PNG")}).Status, 0);
  EXPECT_EQ(QImage(Path("small.PNG"), "PNG").size(), svg.defaultSize());
}

TEST_F(CliTest, ExportCommandLineErrorsAreStatus64AndWriteNothing)
{
  const QList<QStringList> wrong = {
    {"export", kSample},                                       // no OUT
    {"export", kSample, Path("out.bmp")},                      // no picture format
    {"export", "--dpi", "abc", kSample, Path("out.png")},      // no number
    {"export", "--dpi", "5000", kSample, Path("out.png")},     // out of range
    {"export", "--dpi", "96", kSample, Path("out.pdf")},       // not a PNG
    {"export", "--dpi"},                                       // no value
    {"export", "--scale", "2", kSample, Path("out.png")},      // unknown option
  };
  for (const QStringList& args : wrong) {
    const TRun run = Cli(args);
    EXPECT_EQ(run.Status, 64) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(run.ErrLines.isEmpty());
  }
  EXPECT_TRUE(QDir(Dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(CliTest, ExportFileErrorsFollowTheOtherCommands)
{
  // IN missing, IN no diagram, OUT a directory, a diagram with nothing drawn.
  EXPECT_EQ(Cli({"export", Path("missing.erd"), Path("out.png")}).Status, 3);
  Write(Path("text.erd"), "hello\r\n");
  EXPECT_EQ(Cli({"export", Path("text.erd"), Path("out.png")}).Status, 1);
  ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("folder.svg")));
  TRun run = Cli({"export", kSample, Path("folder.svg")});
  EXPECT_EQ(run.Status, 3);
  EXPECT_TRUE(run.ErrLines.value(0).startsWith(QStringLiteral("error: Cannot export to"))) << run.ErrLines.value(0).toStdString();
  EXPECT_TRUE(QFileInfo(Path("folder.svg")).isDir());
  TRecordingMessages messages;
  TDrawingSurface empty(messages, veska::TQtTextMeasurer::Instance());
  empty.DiagramName = QStringLiteral("Nothing yet");
  QByteArray bytes;
  WriteDiagram(empty, bytes);
  Write(Path("empty.erd"), bytes);
  run = Cli({"export", Path("empty.erd"), Path("empty.png")});
  EXPECT_EQ(run.Status, 3);
  EXPECT_FALSE(QFile::exists(Path("empty.png")));
}

// The page grid of the sample on A4 portrait, as Print would lay it out.
QSize SamplePages()
{
  TRecordingMessages messages;
  TDrawingSurface surface(messages, veska::TQtTextMeasurer::Instance());
  EXPECT_EQ(veska::LoadDiagram(surface, kSample), veska::TLoadResult::Loaded);
  const veska::TPageDevice device = veska::PdfPageDevice(veska::DefaultPdfLayout());
  return QSize(veska::PagesAcross(surface, device), veska::PagesDown(surface, device));
}

QString PageText(const QString& file, int page)
{
  const QString number = QString::number(page);
  return RunPdfTool(QStringLiteral("pdftotext"),
                    {QStringLiteral("-f"), number, QStringLiteral("-l"), number, file, QStringLiteral("-")});
}

TEST_F(CliTest, ExportPagesWritesThePrintedPagesInPrintOrder)
{
  const QSize grid = SamplePages();
  ASSERT_GE(grid.width(), 2) << "the sample should be wider than a page";
  EXPECT_EQ(Cli({"export", "--pages", "all", kSample, Path("all.pdf")}).Status, 0);
  EXPECT_EQ(PdfPageCount(Path("all.pdf")), grid.width() * grid.height());

  // Column 2 is printed after column 1 whatever the order given; a page
  // given twice prints once. The second column's first page is marked
  // Page(1,2).
  const TRun run = Cli({"export", "--pages", "2,1;1,1;2,1", kSample, Path("two.pdf")});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(PdfPageCount(Path("two.pdf")), 2);
  EXPECT_FALSE(PageText(Path("two.pdf"), 1).contains(QStringLiteral("Page(1,2)")));
  EXPECT_TRUE(PageText(Path("two.pdf"), 2).contains(QStringLiteral("Page(1,2)")));
}

TEST_F(CliTest, ExportPagesOutsideTheGridOrWithoutPdfAreStatus64AndWriteNothing)
{
  const QSize grid = SamplePages();
  const QString outside = QStringLiteral("%1,1").arg(grid.width() + 1);
  const QList<QStringList> wrong = {
    {"export", "--pages", outside, kSample, Path("out.pdf")},
    {"export", "--pages", QStringLiteral("1,%1").arg(grid.height() + 1), kSample, Path("out.pdf")},
    {"export", "--pages", "1,1;" + outside, kSample, Path("out.pdf")},
    {"export", "--pages", "0,1", kSample, Path("out.pdf")},
    {"export", "--pages", "1", kSample, Path("out.pdf")},
    {"export", "--pages", "1,1;", kSample, Path("out.pdf")},
    {"export", "--pages", "all", kSample, Path("out.png")},
    {"export", "--pages", "all", kSample, Path("out.svg")},
  };
  for (const QStringList& args : wrong) {
    const TRun run = Cli(args);
    EXPECT_EQ(run.Status, 64) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(run.ErrLines.size(), 1) << args.join(QLatin1Char(' ')).toStdString();
  }
  EXPECT_TRUE(QDir(Dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(CliTest, HelpNamesTheExportCommand)
{
  const TRun run = Cli({"--help"});
  EXPECT_TRUE(run.Out.contains(QStringLiteral("export [--dpi N] [--pages all|C,R[;C,R]...] IN OUT")));
}

}  // namespace
