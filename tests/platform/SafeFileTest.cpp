#include "platform/SafeFile.h"

#include "support/ErrorOf.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace veska {
namespace {

class SafeFileTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }

  static void Put(const QString& path, const QByteArray& bytes)
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  static QByteArray Get(const QString& path)
  {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
  }
  QStringList Entries() const
  {
    return QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
  }
  static QString System(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
  template <class TAction>
  static QString ErrorOf(TAction action)
  {
    return test::ErrorOf<TFileAccessError>(action);
  }
};

TEST_F(SafeFileTest, AWriteOnAFullDiskLeavesTheFileAndItsBackupAsTheyWere)
{
  const QString file = Path("model.erd");
  const QString backup = Path("model.BAK");
  Put(file, "good\r\n");
  Put(backup, "older\r\n");
  const QByteArray text(4000, 'x');
  {
    test::TFileSizeLimit full(16);
    // Smaller than any buffer: the failure shows only when the data is
    // flushed, and must still be reported with the system's message.
    EXPECT_EQ(ErrorOf([&] { WriteFileSafely(file, text, backup); }), System(EFBIG));
    EXPECT_EQ(ErrorOf([&] { WriteFileSafely(file, QByteArray(20, 'y')); }), System(EFBIG));
    EXPECT_EQ(ErrorOf([&] { WriteFileSafely(Path("new.erd"), text); }), System(EFBIG));
  }
  EXPECT_EQ(Get(file), QByteArray("good\r\n"));
  EXPECT_EQ(Get(backup), QByteArray("older\r\n"));
  // No temporary file is left behind, and no new file appears.
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("model.BAK"), QStringLiteral("model.erd")}));
}

TEST_F(SafeFileTest, ASavedFileKeepsItsPermissionsAndItsPredecessorAsBackup)
{
  const QString file = Path("model.erd");
  const QString backup = Path("model.BAK");
  Put(file, "first");
  Put(backup, "older");
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
  WriteFileSafely(file, "second", backup);
  EXPECT_EQ(Get(file), QByteArray("second"));
  EXPECT_EQ(Get(backup), QByteArray("first"));
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  WriteFileSafely(file, "third", backup);
  EXPECT_EQ(Get(backup), QByteArray("second"));

  // Without a file to keep there is no backup; a backup name that is the
  // file itself keeps nothing and loses nothing.
  WriteFileSafely(Path("fresh.erd"), "new", Path("fresh.BAK"));
  EXPECT_FALSE(QFile::exists(Path("fresh.BAK")));
  WriteFileSafely(backup, "own", backup);
  EXPECT_EQ(Get(backup), QByteArray("own"));

  // Through a symbolic link the file it points to is replaced.
  ASSERT_TRUE(QFile::link(file, Path("link.erd")));
  WriteFileSafely(Path("link.erd"), "fourth");
  EXPECT_TRUE(QFileInfo(Path("link.erd")).isSymLink());
  EXPECT_EQ(Get(file), QByteArray("fourth"));
  EXPECT_EQ(Entries(), QStringList({QStringLiteral("fresh.erd"), QStringLiteral("link.erd"),
                                    QStringLiteral("model.BAK"), QStringLiteral("model.erd")}));
}

TEST_F(SafeFileTest, SpecialFilesAreNeitherReadNorReplaced)
{
  const QString fifo = Path("pipe");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  // Opening a FIFO for reading would wait for a writer for ever.
  EXPECT_EQ(ErrorOf([&] { ReadRegularFile(fifo); }), QStringLiteral("Not a regular file"));
  EXPECT_EQ(ErrorOf([&] { ReadRegularFile(QStringLiteral("/dev/zero")); }), QStringLiteral("Not a regular file"));
  EXPECT_EQ(ErrorOf([&] { ReadRegularFile(Dir.path()); }), System(EISDIR));
  EXPECT_EQ(ErrorOf([&] { ReadRegularFile(Path("absent")); }), System(ENOENT));

  EXPECT_EQ(ErrorOf([&] { WriteFileSafely(fifo, "x"); }), QStringLiteral("Not a regular file"));
  EXPECT_EQ(ErrorOf([&] { WriteFileSafely(Dir.path(), "x"); }), System(EISDIR));
  EXPECT_EQ(ErrorOf([&] { WriteFileSafely(Path("no/such/dir/x"), "x"); }), System(ENOENT));
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(SafeFileTest, FilesLargerThanTheLimitAreRefused)
{
  const QString small = Path("small");
  Put(small, "12345");
  EXPECT_EQ(ReadRegularFile(small, 5), QByteArray("12345"));
  EXPECT_EQ(ErrorOf([&] { ReadRegularFile(small, 4); }), QStringLiteral("The file is larger than 4 bytes"));

  // A sparse file takes no room on the disk.
  const QString huge = Path("huge");
  Put(huge, QByteArray());
  ASSERT_TRUE(QFile::resize(huge, kMaxReadSize + 1));
  EXPECT_EQ(ErrorOf([&] { ReadRegularFile(huge); }), QStringLiteral("The file is larger than 1 GiB"));
}

}  // namespace
}  // namespace veska
