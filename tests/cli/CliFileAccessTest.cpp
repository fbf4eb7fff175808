// veska-cli with files that are not plain files, too large, or on a full
// disk: each is refused with status 3 and nothing is replaced.
#include "cli/CliRun.h"
#include "support/FileSizeLimit.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace {

using namespace veska::test;

TEST_F(CliTest, AnOutThatIsAFifoOrADirectoryIsRefusedNotReplaced)
{
  const QString fifo = Path("pipe");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  for (const char* command : {"convert", "entity-report", "consistency-report"}) {
    const TRun run = Cli({command, kSample, fifo});
    EXPECT_EQ(run.Status, 3) << command;
    EXPECT_TRUE(run.ErrLines.value(0).endsWith(": Not a regular file")) << command;
    EXPECT_EQ(Cli({command, kSample, Dir.path()}).Status, 3) << command;
  }
  EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
  EXPECT_TRUE(QFileInfo(Dir.path()).isDir());
}

TEST_F(CliTest, AnInThatIsAFifoOrADeviceIsRefusedInsteadOfHanging)
{
  const QString fifo = Path("pipe.erd");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  TRun run = Cli({"convert", fifo, Path("out.erd")});
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(run.ErrLines, QStringList{"error: " + fifo + ": Not a regular file"});
  run = Cli({"convert", "--merge", QStringLiteral("/dev/zero"), kSample, Path("out.erd")});
  EXPECT_EQ(run.Status, 3);
  EXPECT_FALSE(QFile::exists(Path("out.erd")));
}

TEST_F(CliTest, ConvertOnAFullDiskFailsAndKeepsTheOldOut)
{
  Write(Path("out.erd"), "previous\r\n");
  TRun run;
  {
    TFileSizeLimit full(16);  // inherited by veska-cli
    run = Cli({"convert", kSample, Path("out.erd")});
  }
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(run.ErrLines,
            QStringList{"error: " + Path("out.erd") + ": " + QString::fromLocal8Bit(std::strerror(EFBIG))});
  EXPECT_EQ(Read(Path("out.erd")), QByteArray("previous\r\n"));
}

TEST_F(CliTest, ASettingsFileThatCannotBeReadIsReportedNotReadAsEmpty)
{
  Write(Path("huge.ini"), "[DataTypes]\r\nMoney=\r\n");
  ASSERT_TRUE(QFile::resize(Path("huge.ini"), (qint64(1) << 30) + 1));  // sparse
  const TRun run = Cli({"consistency-report", "--settings", Path("huge.ini"), kSample, Path("out.txt")});
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(run.ErrLines, QStringList{"error: " + Path("huge.ini") + ": The file is larger than 1 GiB"});
  EXPECT_FALSE(QFile::exists(Path("out.txt")));
}

}  // namespace
