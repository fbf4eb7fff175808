// veska-cli with files that are not plain files, too large, or on a full
// disk: each is refused with status 3 and nothing is replaced.
#include "cli/CliRun.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstring>

#include <csignal>

#include <sys/resource.h>
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

TEST_F(CliTest, AFileSizeLimitFailsTheWriteInsteadOfKillingTheProgram)
{
  Write(Path("out.erd"), "previous\r\n");
  QProcess p;
  // The limit and the signal's default action, as a shell's ulimit gives them.
  p.setChildProcessModifier([] {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  p.start(QStringLiteral(VESKA_CLI), {QStringLiteral("convert"), kSample, Path("out.erd")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 3);
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()).trimmed(),
            "error: " + Path("out.erd") + ": " + QString::fromLocal8Bit(std::strerror(EFBIG)));
  EXPECT_EQ(Read(Path("out.erd")), QByteArray("previous\r\n"));
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("out.erd")});
}

// A diagram of many entities with ten attributes each, as text.
QByteArray ManyEntities(int count)
{
  QByteArray text = "V3.00-KX\r\nMany\r\n1\r\n1/2/03\r\n30000 30000\r\nArial\r\n8\r\n4\r\nTRUE\r\n0\r\n";
  text += QByteArray::number(count) + "\r\n";
  for (int i = 0; i < count; ++i) {
    const QByteArray name = "Entity" + QByteArray::number(i);
    text += name + "\r\n" + name + "\r\nMaintain\r\n&File\r\n1 0 0 0 0\r\n";
    text += QByteArray::number(20 + i % 100 * 250) + " " + QByteArray::number(20 + i / 100 * 200) + " 0 1 9\r\n";
    for (int a = 0; a < 10; ++a)
      text += "Attribute" + QByteArray::number(a) + "x" + QByteArray::number(i) + ",,TRUE,CHAR(20)\r\n\r\n\r\n1 0 0 0\r\n0\r\n";
  }
  text += "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
  return text;
}

TEST_F(CliTest, OutOfMemoryIsAMessageAndStatusThreeNotAnAbort)
{
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "an address space limit leaves no room for the sanitizer's shadow memory";
#else
  Write(Path("many.erd"), ManyEntities(20000));
  Write(Path("out.erd"), "previous\r\n");
  int stopped = 0;
  for (const rlim_t megabytes : {120, 160, 200, 300, 400}) {
    QProcess p;
    p.setChildProcessModifier([megabytes] {
      rlimit limit{};
      ::getrlimit(RLIMIT_AS, &limit);
      limit.rlim_cur = megabytes << 20;
      ::setrlimit(RLIMIT_AS, &limit);
    });
    p.start(QStringLiteral(VESKA_CLI), {QStringLiteral("convert"), Path("many.erd"), Path("out.erd")});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << megabytes << " MB";
    const QString err = QString::fromUtf8(p.readAllStandardError());
    if (p.exitCode() != 0) {
      ++stopped;
      EXPECT_EQ(p.exitCode(), 3) << megabytes << " MB";
      EXPECT_TRUE(err.contains(QStringLiteral("Out of memory"))) << megabytes << " MB: " << err.toStdString();
      EXPECT_FALSE(err.contains(QStringLiteral("corrupted"))) << megabytes << " MB";
      EXPECT_EQ(Read(Path("out.erd")), QByteArray("previous\r\n"));
    }
  }
  EXPECT_GT(stopped, 0);
#endif
}

TEST_F(CliTest, StandardOutputThatCannotBeWrittenIsAFailure)
{
  for (const QStringList& args : {QStringList{"--help"}, QStringList{"--version"}}) {
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(VESKA_CLI), args);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 3) << args.join(' ').toStdString();
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).startsWith(QStringLiteral("error: standard output: ")));
  }
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
