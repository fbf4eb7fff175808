#include "platform/SafeFile.h"

#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace veska {
namespace {

class SafeFileTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }

  static void Put(const QString& path, const QByteArray& bytes) { WriteFileSafely(path, bytes); }
  static QByteArray Get(const QString& path) { return ReadRegularFile(path); }
  QStringList Entries() const
  {
    return QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  }
};

TEST_F(SafeFileTest, AWriteOnAFullDiskLeavesTheFileAndItsBackupAsTheyWere)
{
  const QString file = Path("model.erd");
  const QString backup = Path("model.BAK");
  Put(file, "good\r\n");
  Put(backup, "older\r\n");
  try {
    test::TFileSizeLimit full(16);
    // Smaller than any buffer: the failure shows only when the data is
    // flushed, and is still reported with the system's message.
    WriteFileSafely(file, QByteArray(20, 'x'), backup);
    ADD_FAILURE() << "no error";
  } catch (const TFileAccessError& e) {
    EXPECT_EQ(QString::fromStdString(e.what()), QString::fromLocal8Bit(std::strerror(EFBIG)));
  }
  EXPECT_EQ(Get(file), QByteArray("good\r\n"));
  EXPECT_EQ(Get(backup), QByteArray("older\r\n"));
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("model.BAK"), QStringLiteral("model.erd")}));  // no leftovers
}

TEST_F(SafeFileTest, AKilledSaveLeavesNoTemporaryFileBehind)
{
  const QString file = Path("model.erd");
  Put(file, "old\r\n");
  const QByteArray big(48 << 20, 'x');
  // Killed at different moments of writing: the target is always the old or
  // the new whole file, and nothing else is left in the directory.
  for (const int delayMs : {1, 5, 20, 60}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;)
        WriteFileSafely(file, big);
    }
    ::usleep(static_cast<useconds_t>(delayMs * 1000));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const QByteArray now = Get(file);
    EXPECT_TRUE(now == "old\r\n" || now == big) << "after " << delayMs << " ms";
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("model.erd")}) << "after " << delayMs << " ms";
  }
}

TEST_F(SafeFileTest, ASavedFileKeepsItsPermissionsAndItsPredecessorAsBackup)
{
  const QString file = Path("model.erd");
  const QString backup = Path("model.BAK");
  Put(file, "first");
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
  WriteFileSafely(file, "second", backup);
  EXPECT_EQ(Get(backup), QByteArray("first"));
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // A backup name that is the file itself keeps nothing and loses nothing;
  // through a symbolic link the file it points to is replaced.
  WriteFileSafely(backup, "own", backup);
  EXPECT_EQ(Get(backup), QByteArray("own"));
  ASSERT_TRUE(QFile::link(file, Path("link.erd")));
  WriteFileSafely(Path("link.erd"), "third");
  EXPECT_TRUE(QFileInfo(Path("link.erd")).isSymLink());
  EXPECT_EQ(Get(file), QByteArray("third"));
}

TEST_F(SafeFileTest, AFileWrittenInPartsReplacesItsTargetOnlyWhenCommitted)
{
  const QString file = Path("build.sql");
  const QString backup = Path("build.sql.bak");
  Put(file, "old");
  // Parts small and larger than the writer's buffer, in one file.
  QByteArray whole;
  {
    TSafeFileWriter writer(file);
    for (const qsizetype size : {qsizetype(3), qsizetype(700000), qsizetype(3 << 20), qsizetype(900000)}) {
      const QByteArray part(size, char('a' + whole.size() % 26));
      writer.Write(part);
      whole += part;
    }
    EXPECT_EQ(Get(file), QByteArray("old"));
    writer.Commit(backup);
  }
  EXPECT_EQ(Get(file), whole);
  EXPECT_EQ(Get(backup), QByteArray("old"));

  // Given up half way: the file stays, and nothing else is left.
  {
    TSafeFileWriter writer(file);
    writer.Write(QByteArray(2 << 20, 'z'));
  }
  EXPECT_EQ(Get(file), whole);
  // A write that fails says why, and takes nothing more.
  {
    TSafeFileWriter writer(file);
    test::TFileSizeLimit full(16);
    writer.Write(QByteArray(20, 'x'));
    EXPECT_THROW(writer.Commit(), TFileAccessError);
    EXPECT_THROW(writer.Write("y"), std::logic_error);
  }
  EXPECT_EQ(Get(file), whole);
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("build.sql"), QStringLiteral("build.sql.bak")}));
  EXPECT_THROW(TSafeFileWriter(Dir.path()), TFileAccessError);
}

// A file read in parts is read where asked, up to its end; one that grows
// past the limit while it is read is refused as too large rather than read
// on without end, and what is no regular file is refused at once.
TEST_F(SafeFileTest, AFileReadInPartsStopsAtItsEndAndAtTheLimit)
{
  const QString file = Path("model.erd");
  Put(file, "0123456789");
  TFileReader reader(file, 16);
  EXPECT_EQ(reader.Size(), 10);
  char part[8] = {};
  EXPECT_EQ(reader.ReadAt(4, part, 4), 4);
  EXPECT_EQ(QByteArray(part, 4), QByteArray("4567"));
  EXPECT_EQ(reader.ReadAt(8, part, 8), 2);
  EXPECT_EQ(reader.ReadAt(10, part, 8), 0);

  QFile grow(file);
  ASSERT_TRUE(grow.open(QIODevice::Append));
  ASSERT_EQ(grow.write("abcdefghij"), 10);
  grow.close();
  EXPECT_EQ(reader.ReadAt(8, part, 8), 8);
  try {
    reader.ReadAt(16, part, 8);
    FAIL() << "read past the limit";
  } catch (const TFileAccessError& e) {
    EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("The file is larger than 16 bytes"));
  }
  EXPECT_THROW(TFileReader(Dir.path()), TFileAccessError);
  EXPECT_EQ(ReadRegularFilePart(file, 18, 100), QByteArray("ij"));
}

}  // namespace
}  // namespace veska
