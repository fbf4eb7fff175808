// veska-cli reverse-engineer --server: an SQL database read into a diagram
// file, arranged; the statuses of a catalog read in part, a missing file, an
// unreachable server and command lines that are refused.

#include "cli/CliRun.h"
#include "diagramfile/DiagramFile.h"
#include "model/Integrity.h"
#include "platform/TextMeasurer.h"
#include "support/RecordingMessages.h"
#include "support/SqlServers.h"

#include <QDir>
#include <QFileInfo>

namespace veska {
namespace {

using namespace test;

const QString kSettings = QFileInfo(QStringLiteral(VESKA_CLI)).dir().filePath(QStringLiteral("VESKA.INI"));

class ReverseCliTest : public CliTest {
protected:
  // Reads OUT back: the model holds, and Arrange left no box on another.
  void ExpectArranged(const QString& file, int entities)
  {
    TRecordingMessages messages;
    const TFixedTextMeasurer measurer;
    TDrawingSurface surface(messages, measurer);
    ASSERT_EQ(LoadDiagram(surface, file), TLoadResult::Loaded);
    EXPECT_EQ(CheckIntegrity(surface), QStringList());
    ASSERT_EQ(surface.Entities.Count(), entities);
    for (int i = 0; i < entities; ++i)
      for (int j = i + 1; j < entities; ++j)
        EXPECT_FALSE(surface.Entities.Objects(i)->BoundsRect().intersects(surface.Entities.Objects(j)->BoundsRect()))
            << surface.Entities.Objects(i)->EntityName().toStdString() << " on "
            << surface.Entities.Objects(j)->EntityName().toStdString();
  }
};

TEST_F(ReverseCliTest, TheSampleBuiltIntoSQLiteReadsBackArranged)
{
  const QString database = Path("sample.db");
  TRun run = Cli({"build-database", "--server", "SQLite", "--settings", kSettings, "--database", database, kSample});
  ASSERT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  run = Cli({"reverse-engineer", "--server", "sqlite", "--settings", kSettings, "--database", database,
             Path("read.erd")});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  ASSERT_EQ(run.ErrLines.size(), 1);
  EXPECT_EQ(run.ErrLines[0],
            QStringLiteral("information: Processing completed. Read 3 tables, 4 relations, 0 domains and 0 processes."));
  ExpectArranged(Path("read.erd"), 3);

  // An index the model cannot hold: what was read is written, with status 2.
  const TProgramOutput index =
      RunSqlite3(database, QStringLiteral("CREATE INDEX by_lower_name ON \"Customer\" (lower(\"Name\"));"));
  ASSERT_TRUE(index.Ok()) << index.Describe().toStdString();
  run = Cli({"reverse-engineer", "--server", "SQLite", "--settings", kSettings, "--database", database,
             Path("part.erd")});
  EXPECT_EQ(run.Status, 2);
  EXPECT_TRUE(run.ErrLines.join(QLatin1Char('\n')).contains(QStringLiteral("by_lower_name")));
  ExpectArranged(Path("part.erd"), 3);
}

TEST_F(ReverseCliTest, PostgreSQLIsReadThroughTheConnectionTextFromTheSchemaNamed)
{
  TPostgresServer& server = TPostgresServer::Shared();
  ASSERT_TRUE(server.Failure().isEmpty()) << server.Failure().toStdString();
  const QString database = server.CreateDatabase();
  ASSERT_FALSE(database.isEmpty());
  const QString connect = QStringLiteral("host='%1' port=%2 dbname=%3 user=%4")
                              .arg(server.SocketDirectory())
                              .arg(server.Port())
                              .arg(database, TPostgresServer::SuperUser());
  TRun run = Cli({"build-database", "--server", "PostgreSQL", "--settings", kSettings, "--connect", connect, kSample});
  ASSERT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  ASSERT_TRUE(server.Client(database, QStringLiteral("CREATE SCHEMA other; CREATE TABLE other.t (a integer);")).Ok());
  run = Cli({"reverse-engineer", "--server", "PostgreSQL", "--settings", kSettings, "--connect", connect,
             Path("read.erd")});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(run.ErrLines, QStringList{QStringLiteral(
                              "information: Processing completed. Read 3 tables, 4 relations, 1 domain and 0 processes.")});
  ExpectArranged(Path("read.erd"), 3);
  run = Cli({"reverse-engineer", "--server", "PostgreSQL", "--settings", kSettings, "--connect", connect, "--schema",
             "other", Path("other.erd")});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  ExpectArranged(Path("other.erd"), 1);
}

TEST_F(ReverseCliTest, WhatCannotBeReadHasItsStatusAndWritesNothing)
{
  struct TCase {
    QStringList Args;
    int Status;
  };
  const QString out = Path("out.erd");
  const std::vector<TCase> cases = {
      // No such SQLite file: nothing to read, and none is made.
      {{"--server", "SQLite", "--database", Path("missing.db"), out}, 3},
      // No server there.
      {{"--server", "PostgreSQL", "--connect", "host=" + Path("nowhere") + " dbname=x", out}, 3},
      // Usage: SQLite without its file, a file for a server, SQL options
      // without a server, a schema where there is none, a desktop server,
      // a directory beside OUT, a password.
      {{"--server", "SQLite", out}, 64},
      {{"--server", "MySQL", "--database", Path("x.db"), out}, 64},
      {{"--database", Path("x.db"), Dir.path(), out}, 64},
      {{"--server", "SQLite", "--database", Path("x.db"), "--schema", "s", out}, 64},
      {{"--server", "Paradox", Dir.path(), out}, 64},
      {{"--server", "SQLite", "--database", Path("x.db"), Dir.path(), out}, 64},
      {{"--server", "PostgreSQL", "--connect", "dbname=x password=Hunter2-Secret", out}, 64},
  };
  for (const TCase& c : cases) {
    const TRun run = Cli(QStringList{"reverse-engineer", "--settings", kSettings} + c.Args);
    EXPECT_EQ(run.Status, c.Status) << c.Args.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(run.ErrLines.isEmpty());
    EXPECT_FALSE(run.ErrLines.join(QLatin1Char('\n')).contains(QStringLiteral("Hunter2")));
    EXPECT_FALSE(QFileInfo::exists(out));
  }
  EXPECT_FALSE(QFileInfo::exists(Path("missing.db")));
  EXPECT_FALSE(QFileInfo::exists(Path("x.db")));
}

}  // namespace
}  // namespace veska
