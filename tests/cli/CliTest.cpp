// veska-cli convert, run as a separate process: messages on standard error,
// exit statuses, and what is written.
#include "cli/CliRun.h"

namespace {

using namespace veska::test;

TEST_F(CliTest, ConvertsSampleUnchanged)
{
  const TRun run = Cli({"convert", kSample, Path("out.erd")});
  EXPECT_EQ(run.Status, 0);
  EXPECT_TRUE(run.ErrLines.isEmpty()) << run.ErrLines.join('\n').toStdString();
  EXPECT_EQ(Read(Path("out.erd")), Read(kSample));
}

TEST_F(CliTest, NotADiagramWritesNothing)
{
  Write(Path("notes.txt"), "hello\r\n");
  TRun run = Cli({"convert", Path("notes.txt"), Path("out.erd")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.ErrLines,
            QStringList{"error: Input file is not a VESKA diagram. Please select another file."});
  EXPECT_FALSE(QFile::exists(Path("out.erd")));

  run = Cli({"convert", "--merge", Path("notes.txt"), kSample, Path("out.erd")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_FALSE(QFile::exists(Path("out.erd")));
}

TEST_F(CliTest, CorruptFileKeepsWhatWasRead)
{
  QByteArray bytes = Read(kSample);
  bytes.replace("places/is placed by,Customer,", "places/is placed by,Nobody,");
  Write(Path("broken.erd"), bytes);
  const TRun run = Cli({"convert", Path("broken.erd"), Path("out.erd")});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.ErrLines,
            QStringList{"error: Input file is corrupted. Please save the diagram content to another file."});
  const QByteArray out = Read(Path("out.erd"));
  EXPECT_TRUE(out.contains("\r\nSales Order\r\n"));
  EXPECT_FALSE(out.contains("places"));
}

TEST_F(CliTest, MissingOrUnwritableFiles)
{
  TRun run = Cli({"convert", Path("absent.erd"), Path("out.erd")});
  EXPECT_EQ(run.Status, 3);
  ASSERT_EQ(run.ErrLines.size(), 1);
  EXPECT_TRUE(run.ErrLines[0].startsWith("error: " + Path("absent.erd") + ": "));

  run = Cli({"convert", kSample, Path("no/such/dir/out.erd")});
  EXPECT_EQ(run.Status, 3);
}

TEST_F(CliTest, MergeReportsTakenNames)
{
  // Merging a diagram into itself: every name is taken; the merged relations
  // join the entities that were there, whose keys then no longer match the
  // merged file's carried attributes.
  const TRun run = Cli({"convert", "--merge", kSample, kSample, Path("out.erd")});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.ErrLines, (QStringList{
                              "error: Duplicate Entity Name \"Customer\".",
                              "error: Duplicate Entity Name \"Sales Order\".",
                              "error: Duplicate Entity Name \"Order Line\".",
                              "error: Duplicate Relation Name \"places/is placed by\".",
                              "error: Duplicate Relation Name \"contains/belongs to\".",
                              "error: Duplicate Relation Name \"ships to\".",
                              "error: Duplicate Relation Name \"bills\".",
                              "error: Input file is corrupted. Please save the diagram content to another file.",
                          }));
  const QByteArray out = Read(Path("out.erd"));
  EXPECT_TRUE(out.contains("\r\nEntity4_0\r\n"));
  EXPECT_TRUE(out.contains("\r\nRelation5_0,Customer,Sales Order,FALSE\r\n"));
}

TEST_F(CliTest, HelpAndUsage)
{
  TRun run = Cli({"--help"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_TRUE(run.Out.contains("convert [--merge FILE]... IN OUT"));
  run = Cli({"convert", kSample});
  EXPECT_EQ(run.Status, 64);
  run = Cli({"frobnicate"});
  EXPECT_EQ(run.Status, 64);
}

}  // namespace
