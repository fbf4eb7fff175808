// veska-cli build-database and reverse-engineer: building the sample's tables for
// both desktop servers and reading them back, the exit statuses, and the
// command lines refused.
#include "tablebuild/TableBuilder.h"
#include "cli/CliRun.h"
#include "diagramfile/DiagramFile.h"
#include "model/Entity.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
#include "support/RecordingMessages.h"

#include <QDir>
#include <QFileInfo>

namespace veska {
namespace {

using namespace test;

const QString kSettings = QFileInfo(QStringLiteral(VESKA_CLI)).dir().filePath(QStringLiteral("VESKA.INI"));
const QStringList kCompleted{"information: Processing completed."};

class BuildCliTest : public CliTest {
protected:
  TRecordingMessages Msgs;
  TDrawingSurface Sample{Msgs, TQtTextMeasurer::Instance()};

  void SetUp() override
  {
    Sample.Clear();
    ASSERT_EQ(LoadDiagram(Sample, kSample), TLoadResult::Loaded);
  }

  QString MakeDir(const char* name) const
  {
    EXPECT_TRUE(QDir(Dir.path()).mkdir(QString::fromLatin1(name)));
    return Path(name);
  }

  static QStringList Names(const TAttributeList& list)
  {
    QStringList names;
    for (const TAttribute* a : list)
      names << a->Name;
    return names;
  }
};

TEST_F(BuildCliTest, BuildsTheSampleOnBothServersAndReadsTheSameTablesBack)
{
  for (const QString& server : {QStringLiteral("Paradox"), QStringLiteral("Dbase")}) {
    SCOPED_TRACE(server.toStdString());
    const QString dir = MakeDir(server == QStringLiteral("Paradox") ? "px" : "db");
    TRun run = Cli({"build-database", "--server", server, "--settings", kSettings, kSample, dir});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.ErrLines, kCompleted);

    const QString out = dir + QStringLiteral(".erd");
    run = Cli({"reverse-engineer", dir, out});
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.ErrLines.isEmpty()) << run.ErrLines.join('\n').toStdString();

    TRecordingMessages msgs;
    TDrawingSurface read(msgs, TQtTextMeasurer::Instance());
    read.Clear();
    ASSERT_EQ(LoadDiagram(read, out), TLoadResult::Loaded);
    // A new diagram's page and name.
    EXPECT_EQ(read.DiagramName, "Information Model V1.0");
    EXPECT_EQ(read.Width, 768);
    EXPECT_EQ(read.Height, 960);
    EXPECT_EQ(read.Revision, "0");

    const TParadoxExpert expert(TIniFile(kSettings), server, Sample);
    ASSERT_EQ(read.Entities.Count(), Sample.Entities.Count());
    for (const TEntity* e : Sample.Entities) {
      const TEntity* table = read.Entities.Find(expert.TableNameOf(*e));
      ASSERT_NE(table, nullptr) << expert.TableNameOf(*e).toStdString();
      QStringList keys;
      QStringList others;
      for (const TAttribute* a : e->PrimaryKey)
        keys << expert.FieldNameOf(*a);
      for (const TAttribute* a : e->Attributes)
        others << expert.FieldNameOf(*a);
      // dBASE tables index only the first key field and keep field names in
      // capitals.
      if (server == QStringLiteral("Dbase")) {
        others = (keys.mid(1) + others).join('\n').toUpper().split('\n');
        keys = keys.mid(0, 1).join('\n').toUpper().split('\n');
      }
      EXPECT_EQ(Names(table->PrimaryKey), keys);
      EXPECT_EQ(Names(table->Attributes), others);
    }
  }
}

TEST_F(BuildCliTest, TablesThatCannotBeCreatedAreAllTriedAndExitFour)
{
  const QString dir = MakeDir("db");
  const QStringList common{"build-database", "--server", "dbase", "--settings", kSettings};
  ASSERT_EQ(Cli(common + QStringList{kSample, dir}).Status, 0);

  // Every table is there already: each failure is answered Ignore headless,
  // or Abort at the first with --stop-on-error (no completion message).
  TRun run = Cli(common + QStringList{"--stop-on-error", kSample, dir});
  EXPECT_EQ(run.Status, 4);
  ASSERT_EQ(run.ErrLines.size(), 1);
  EXPECT_TRUE(run.ErrLines[0].startsWith("confirmation: "));
  EXPECT_EQ(run.Out, QStringLiteral("Creating Table %1\n").arg(Sample.Entities[0]->EntityName()));

  run = Cli(common + QStringList{kSample, dir});
  EXPECT_EQ(run.Status, 4);
  EXPECT_EQ(run.Out.count(QStringLiteral("Creating Table ")), Sample.Entities.Count());
  ASSERT_EQ(run.ErrLines.size(), Sample.Entities.Count() + 1);
  for (int i = 0; i < Sample.Entities.Count(); ++i)
    EXPECT_TRUE(run.ErrLines[i].startsWith("confirmation: ")) << run.ErrLines[i].toStdString();
  EXPECT_EQ(run.ErrLines.last(), QStringLiteral("information: Processing completed. Error Count = %1")
                                     .arg(Sample.Entities.Count()));

  // Dropping first builds again cleanly; the chosen entities only.
  const QString first = Sample.Entities[0]->EntityName();
  run = Cli(common + QStringList{"--drop", "--tables", first, kSample, dir});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.ErrLines, kCompleted);

  // Dropping without creating leaves the others.
  run = Cli(common + QStringList{"--drop", "--no-create", "--tables", first, kSample, dir});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(QDir(dir).entryList(QDir::Files).filter(".DBF", Qt::CaseInsensitive).size(),
            Sample.Entities.Count() - 1);
}

TEST_F(BuildCliTest, AMissingDirectoryIsAFileErrorAndWritesNothing)
{
  Write(Path("file"), "x");
  for (const QString& dir : {Path("absent"), Path("file")}) {
    TRun run = Cli({"build-database", "--settings", kSettings, kSample, dir});
    EXPECT_EQ(run.Status, 3);
    EXPECT_EQ(run.ErrLines, QStringList{dir == Path("file") ? "error: " + dir + " is not a directory"
                                                            : "error: " + dir + ": No such directory"});

    run = Cli({"reverse-engineer", dir, Path("out.erd")});
    EXPECT_EQ(run.Status, 3);
    EXPECT_FALSE(QFile::exists(Path("out.erd")));
  }
  // IN follows the rules of convert.
  EXPECT_EQ(Cli({"build-database", "--settings", kSettings, Path("absent.erd"), Dir.path()}).Status, 3);
  EXPECT_EQ(Cli({"build-database", "--settings", kSettings, Path("file"), Dir.path()}).Status, 1);
}

TEST_F(BuildCliTest, AnUnreadableTableKeepsTheTablesReadBeforeItAndExitsTwo)
{
  const QString dir = MakeDir("db");
  ASSERT_EQ(Cli({"build-database", "--server", "Dbase", "--settings", kSettings, kSample, dir}).Status, 0);
  Write(dir + QStringLiteral("/ZZZ.DBF"), QByteArray(40, '\x03'));
  const TRun run = Cli({"reverse-engineer", dir, Path("out.erd")});
  EXPECT_EQ(run.Status, 2);
  ASSERT_EQ(run.ErrLines.size(), 1);
  EXPECT_TRUE(run.ErrLines[0].startsWith("error: "));
  TDrawingSurface read(Msgs, TQtTextMeasurer::Instance());
  read.Clear();
  ASSERT_EQ(LoadDiagram(read, Path("out.erd")), TLoadResult::Loaded);
  // The table that failed has its entity already, without attributes.
  ASSERT_EQ(read.Entities.Count(), Sample.Entities.Count() + 1);
  for (int i = 0; i < Sample.Entities.Count(); ++i)
    EXPECT_GT(read.Entities[i]->PrimaryKey.Count(), 0);
  EXPECT_EQ(read.Entities[Sample.Entities.Count()]->PrimaryKey.Count()
                + read.Entities[Sample.Entities.Count()]->Attributes.Count(),
            0);
}

TEST_F(BuildCliTest, CommandLinesNotUnderstood)
{
  const QString dir = Dir.path();
  const QList<QStringList> refused = {
    {"build-database", kSample},
    {"build-database", "--server"},
    {"build-database", "--frobnicate", kSample, dir},
    {"build-database", "--settings", kSettings, "--server", "NoSuchServer", kSample, dir},
    {"build-database", "--settings", kSettings, "--tables", "Nobody", kSample, dir},
    {"build-database", "--settings", kSettings, "--tables", "", kSample, dir},
    {"build-database", "--settings", kSettings, "--tables", "Customer,,Customer", kSample, dir},
    {"build-database", "--settings", kSettings, "--tables", "Customer,customer", kSample, dir},
    {"build-database", "--settings", kSettings, "--tables", "Customer,", kSample, dir},
    {"reverse-engineer", dir},
    {"reverse-engineer", "--drop", dir, Path("out.erd")},
  };
  for (const QStringList& args : refused) {
    const TRun run = Cli(args);
    EXPECT_EQ(run.Status, 64) << args.join(' ').toStdString();
    EXPECT_FALSE(run.ErrLines.isEmpty());
  }
  EXPECT_TRUE(QDir(dir).entryList(QDir::Files).isEmpty());
  const QString help = Cli({"--help"}).Out;
  EXPECT_TRUE(help.contains("build-database") && help.contains("reverse-engineer") && help.contains("Ignore"));
}

TEST_F(BuildCliTest, ADuplicateEntityNameInInIsReportedWithANonZeroStatus)
{
  QFile sample(kSample);
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  QByteArray text = sample.readAll();
  const QByteArray second("\r\nSales Order\r\nSales_Order\r\n");
  ASSERT_TRUE(text.contains(second));
  text.replace(second, "\r\nCUSTOMER\r\nSales_Order\r\n");
  Write(Path("dup.erd"), text);
  const QString dir = MakeDir("db");
  const TRun run = Cli({"build-database", "--server", "Dbase", "--settings", kSettings, Path("dup.erd"), dir});
  EXPECT_NE(run.Status, 0);
  EXPECT_TRUE(run.ErrLines.contains("error: Duplicate Entity Name \"CUSTOMER\".")) << run.ErrLines.join(QLatin1Char('|')).toStdString();
}

TEST_F(BuildCliTest, ReverseEngineeringSkipsFilesThatAreNoTablesAndSaysSo)
{
  const QString dir = MakeDir("db");
  ASSERT_EQ(Cli({"build-database", "--server", "Dbase", "--settings", kSettings, kSample, dir}).Status, 0);
  Write(dir + QStringLiteral("/proj.db"), QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\0'));
  const TRun run = Cli({"reverse-engineer", dir, Path("out.erd")});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.ErrLines, QStringList{"information: Processing completed. proj.db was skipped: it is not a table."});
  TDrawingSurface read(Msgs, TQtTextMeasurer::Instance());
  read.Clear();
  ASSERT_EQ(LoadDiagram(read, Path("out.erd")), TLoadResult::Loaded);
  EXPECT_EQ(read.Entities.Count(), Sample.Entities.Count());
}

}  // namespace
}  // namespace veska
