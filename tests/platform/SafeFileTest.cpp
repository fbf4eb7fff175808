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

}  // namespace
}  // namespace veska
