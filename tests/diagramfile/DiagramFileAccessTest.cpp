// Opening and saving diagram files where the file system does not play
// along: special files, files too large for a diagram, a full disk.
#include "diagramfile/DiagramFile.h"

#include "support/ErrorOf.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingMessages.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace veska {
namespace {

class DiagramFileAccessTest : public ::testing::Test {
protected:
  test::TRecordingMessages Messages;
  TFixedTextMeasurer Measurer;
  TDrawingSurface Surface{Messages, Measurer};
  QTemporaryDir Dir;

  void SetUp() override { Surface.Clear(); }
  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }

  template <class TAction>
  static QString ErrorOf(TAction action)
  {
    return test::ErrorOf<TFileError>(action);
  }
};

TEST_F(DiagramFileAccessTest, OpeningAFifoOrADeviceIsRefusedInsteadOfHanging)
{
  const QString fifo = Path("pipe.erd");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_EQ(ErrorOf([&] { LoadDiagram(Surface, fifo); }), QStringLiteral("Not a regular file"));
  EXPECT_EQ(ErrorOf([&] { LoadDiagram(Surface, QStringLiteral("/dev/zero")); }), QStringLiteral("Not a regular file"));

  const QString huge = Path("huge.erd");
  QFile file(huge);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("V3.00-KX\r\n");
  ASSERT_TRUE(file.resize((qint64(1) << 30) + 1));  // sparse: no room taken
  file.close();
  EXPECT_EQ(ErrorOf([&] { LoadDiagram(Surface, huge); }), QStringLiteral("The file is larger than 1 GiB"));
  EXPECT_TRUE(Messages.Messages.isEmpty());
}

TEST_F(DiagramFileAccessTest, SavingOnAFullDiskReportsTheSystemsMessageAndKeepsTheFile)
{
  const QString name = Path("model.erd");
  SaveDiagram(Surface, name);
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  file.close();
  {
    test::TFileSizeLimit full(16);
    EXPECT_EQ(ErrorOf([&] { SaveDiagram(Surface, name, Path("model.BAK")); }),
              QString::fromLocal8Bit(std::strerror(EFBIG)));
  }
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), saved);
  EXPECT_FALSE(QFile::exists(Path("model.BAK")));

  SaveDiagram(Surface, name, Path("model.BAK"));
  QFile backup(Path("model.BAK"));
  ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
  EXPECT_EQ(backup.readAll(), saved);
}

}  // namespace
}  // namespace veska
