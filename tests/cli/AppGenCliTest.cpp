// veska-cli build-application and form-to-text: the sample generated in both
// styles, the command lines refused, and damaged inputs.
#include "cli/CliRun.h"

#include <QDir>
#include <QFileInfo>

namespace veska {
namespace {

using namespace test;

const QStringList kAllForms{"Customer", "Sales Order", "Order Line"};

QStringList Progress(const QStringList& forms)
{
  QStringList lines{"Generating Project File", "Generating Main Source File", "Generating Main Form File"};
  for (const QString& f : forms)
    lines << "Generating Source for " + f << "Generating Form for " + f;
  return lines;
}

class AppGenCliTest : public CliTest {
protected:
  QString MakeDir(const char* name) const
  {
    EXPECT_TRUE(QDir(Dir.path()).mkdir(QString::fromLatin1(name)));
    return Path(name);
  }
  QStringList Files(const QString& dir) const { return QDir(dir).entryList(QDir::Files, QDir::Name); }
};

TEST_F(AppGenCliTest, GeneratesEveryEntityWithProgressAndLeavesTheDiagramAlone)
{
  // A copy of the sample whose first form has no caption: the run gives it
  // one in memory, never in the file.
  QByteArray sample = Read(kSample);
  sample.replace("Maintain Customer\r\n", "\r\n");
  const QString in = Path("in.erd");
  Write(in, sample);
  const QString dir = MakeDir("app");
  const TRun run = Cli({"build-application", in, dir});
  EXPECT_EQ(run.Status, 0) << qPrintable(run.ErrLines.join("\n"));
  EXPECT_EQ(run.ErrLines, QStringList());
  EXPECT_EQ(run.Out.split('\n', Qt::SkipEmptyParts), Progress(kAllForms));
  EXPECT_EQ(Files(dir), QStringList({"CMain.DFM", "CMain.PAS", "CUnit0.DFM", "CUnit0.PAS", "CUnit1.DFM",
                                     "CUnit1.PAS", "CUnit2.DFM", "CUnit2.PAS", "Pilot.DPR"}));
  EXPECT_EQ(Read(in), sample);

  const TRun text = Cli({"form-to-text", QDir(dir).filePath("CUnit0.DFM")});
  EXPECT_EQ(text.Status, 0);
  EXPECT_TRUE(text.Out.startsWith("object Form0: TForm0\r\n")) << qPrintable(text.Out.left(200));
  EXPECT_TRUE(text.Out.contains("Caption = 'Maintain Customer'"));
  EXPECT_TRUE(text.Out.contains("FormStyle = fsMDIChild"));
}

TEST_F(AppGenCliTest, NormalFrameNameAndChosenForms)
{
  const QString dir = MakeDir("app");
  const TRun run =
      Cli({"build-application", "--normal-frame", "--name", "Shop", "--forms", "Order Line,Customer", kSample, dir});
  EXPECT_EQ(run.Status, 0) << qPrintable(run.ErrLines.join("\n"));
  EXPECT_EQ(run.Out.split('\n', Qt::SkipEmptyParts), Progress({"Order Line", "Customer"}));
  EXPECT_EQ(Files(dir),
            QStringList({"CMain.DFM", "CMain.PAS", "CUnit0.DFM", "CUnit0.PAS", "CUnit1.DFM", "CUnit1.PAS", "Shop.DPR"}));
  EXPECT_TRUE(Read(QDir(dir).filePath("CMain.PAS")).contains("'Shop.INI'"));
  const TRun text = Cli({"form-to-text", QDir(dir).filePath("CMain.DFM")});
  EXPECT_TRUE(text.Out.contains("FormStyle = fsNormal")) << qPrintable(text.Out.left(400));
}

TEST_F(AppGenCliTest, CommandLinesRefused)
{
  const QString dir = MakeDir("app");
  for (const QStringList& args : {QStringList{"build-application", "--name", "TooLongName", kSample, dir},
                                  QStringList{"build-application", "--name", "a/b", kSample, dir},
                                  QStringList{"build-application", "--forms", "Customer,Nobody", kSample, dir},
                                  QStringList{"build-application", "--mdi", kSample, dir},
                                  QStringList{"build-application", kSample},
                                  QStringList{"form-to-text"}}) {
    const TRun run = Cli(args);
    EXPECT_EQ(run.Status, 64) << qPrintable(args.join(' '));
    EXPECT_EQ(run.ErrLines.size(), 1);
  }
  EXPECT_EQ(Files(dir), QStringList());
}

TEST_F(AppGenCliTest, NamesThatCannotCompileAndFormListsThatAreEmptyOrRepeatAreUsageErrors)
{
  const QString dir = MakeDir("app");
  for (const QStringList& options :
       {QStringList{"--name", "my app"}, QStringList{"--name", "1st"}, QStringList{"--name", "Pilot\u00e4"},
        QStringList{"--name", "CMain"}, QStringList{"--name", "cunit1"}, QStringList{"--forms", ""},
        QStringList{"--forms", "Customer,customer"}, QStringList{"--forms", "Customer,,Order Line"}}) {
    const TRun run = Cli(QStringList{"build-application"} + options + QStringList{kSample, dir});
    EXPECT_EQ(run.Status, 64) << qPrintable(options.join(' '));
    ASSERT_EQ(run.ErrLines.size(), 1) << qPrintable(options.join(' '));
    EXPECT_TRUE(run.ErrLines[0].startsWith("veska-cli: ")) << qPrintable(run.ErrLines[0]);
  }
  EXPECT_EQ(Files(dir), QStringList());
}

TEST_F(AppGenCliTest, OutputNeverOverwritesTheInputDiagram)
{
  const QByteArray sample = Read(kSample);
  // The diagram in DIR under the project's name.
  const QString dir = MakeDir("app");
  const QString in = QDir(dir).filePath("Pilot.DPR");
  Write(in, sample);
  TRun run = Cli({"build-application", in, dir});
  EXPECT_EQ(run.Status, 3);
  ASSERT_EQ(run.ErrLines.size(), 1);
  EXPECT_TRUE(run.ErrLines[0].startsWith("error: ")) << qPrintable(run.ErrLines[0]);
  EXPECT_EQ(Read(in), sample);
  EXPECT_EQ(Files(dir), QStringList{"Pilot.DPR"});

  // A link in DIR, named as the main unit, to the diagram elsewhere.
  const QString other = MakeDir("other");
  const QString diagram = Path("in.erd");
  Write(diagram, sample);
  ASSERT_TRUE(QFile::link(diagram, QDir(other).filePath("CMain.PAS")));
  run = Cli({"build-application", "--name", "Shop", diagram, other});
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(Read(diagram), sample);
  EXPECT_EQ(Files(other), QStringList{"CMain.PAS"});
}

TEST_F(AppGenCliTest, LineCutAtTheLimitIsAnErrorAndTheOtherFilesAreGenerated)
{
  QByteArray sample = Read(kSample);
  ASSERT_TRUE(sample.contains("Maintain Customer\r\n"));
  sample.replace("Maintain Customer\r\n", QByteArray(3000, 'C') + "\r\n");
  const QString in = Path("in.erd");
  Write(in, sample);
  const QString dir = MakeDir("app");
  const TRun run = Cli({"build-application", in, dir});
  EXPECT_EQ(run.Status, 4);
  ASSERT_EQ(run.ErrLines.size(), 1) << qPrintable(run.ErrLines.join("\n"));
  EXPECT_TRUE(run.ErrLines[0].startsWith("error: " + QDir(dir).filePath("CUnit0.DFM") + " (the form of Customer)"))
      << qPrintable(run.ErrLines[0]);
  EXPECT_TRUE(run.ErrLines[0].contains("2048"));
  EXPECT_EQ(run.Out.split('\n', Qt::SkipEmptyParts), Progress(kAllForms));
  for (const char* file : {"Pilot.DPR", "CMain.DFM", "CUnit0.PAS", "CUnit1.DFM", "CUnit2.DFM"})
    EXPECT_TRUE(QFileInfo::exists(QDir(dir).filePath(file))) << file;
}

TEST_F(AppGenCliTest, MissingLibraryDirectoryOrFormFileAreFileErrors)
{
  const QString dir = MakeDir("app");
  // settings naming a library that is not there
  const QString ini = Path("OTHER.INI");
  Write(ini, "[Library]\r\nFileName=NOSUCH.LIB\r\n");
  TRun run = Cli({"build-application", "--settings", ini, kSample, dir});
  EXPECT_EQ(run.Status, 3);
  const QString lib = QFileInfo(QStringLiteral(VESKA_CLI)).dir().filePath("NOSUCH.LIB");
  EXPECT_EQ(run.ErrLines,
            QStringList({"error: Cannot read the template library " + lib + ": No such file or directory"}));
  EXPECT_EQ(Files(dir), QStringList());

  run = Cli({"build-application", kSample, Path("nowhere")});
  EXPECT_EQ(run.Status, 3);

  run = Cli({"form-to-text", Path("none.DFM")});
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(run.ErrLines.size(), 1);
}

TEST_F(AppGenCliTest, DamagedFormFileIsCorrupt)
{
  const QString dir = MakeDir("app");
  ASSERT_EQ(Cli({"build-application", kSample, dir}).Status, 0);
  const QByteArray form = Read(QDir(dir).filePath("CMain.DFM"));
  for (const qsizetype keep : {qsizetype(0), qsizetype(10), form.size() / 2, form.size() - 1}) {
    Write(Path("cut.DFM"), form.left(keep));
    const TRun run = Cli({"form-to-text", Path("cut.DFM")});
    EXPECT_EQ(run.Status, 2) << keep;
    ASSERT_EQ(run.ErrLines.size(), 1);
    EXPECT_TRUE(run.ErrLines[0].startsWith("error: " + Path("cut.DFM") + ": ")) << qPrintable(run.ErrLines[0]);
  }
}

}  // namespace
}  // namespace veska
