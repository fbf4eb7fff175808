// The main window's Save and Undo where the disk does not play along: a
// failed write must leave the diagram, its file and its backup as they were.

#include "model/Entity.h"
#include "shell/FileDialogs.h"
#include "shell/MainWindow.h"
#include "shell/Settings.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingMessages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace veska {
namespace {

// File dialogs that always answer with the same name.
class TOneNameDialogs final : public TFileDialogs {
public:
  QString Name;
  QString OpenFileName(const QString&, const QString&) override { return Name; }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return Name; }
};

class FileSafetyTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Dir.isValid());
    FOldDirectory = QDir::currentPath();
    QDir::setCurrent(Dir.path());  // where Undo keeps its file
    Settings = std::make_unique<TSettings>(Dir.path());
    Window = std::make_unique<TSDIAppForm>(*Settings, Messages, Files);
    Files.Name = Dir.filePath(QStringLiteral("model.erd"));
  }
  void TearDown() override
  {
    Window.reset();
    QDir::setCurrent(FOldDirectory);
  }

  TDrawingSurface& Surface() const { return Window->DrawingSurface(); }
  void AddEntity() { Surface().AddEntity(std::make_unique<TEntity>()); }
  void Trigger(const char* item) const { Window->findChild<QAction*>(QString::fromLatin1(item))->trigger(); }
  static QByteArray Bytes(const QString& path)
  {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
  }
  static QString FullDisk() { return QStringLiteral("error: ") + QString::fromLocal8Bit(std::strerror(EFBIG)); }

  QTemporaryDir Dir;
  test::TRecordingMessages Messages;
  TOneNameDialogs Files;
  std::unique_ptr<TSettings> Settings;
  std::unique_ptr<TSDIAppForm> Window;

private:
  QString FOldDirectory;
};

TEST_F(FileSafetyTest, SaveOnAFullDiskKeepsTheFileAndItsBackupAndSaysWhy)
{
  const QString file = Files.Name;
  const QString backup = Dir.filePath(QStringLiteral("model.BAK"));
  AddEntity();
  Trigger("SaveAsItem");
  Trigger("SaveItem");
  const QByteArray first = Bytes(backup);
  const QByteArray second = Bytes(file);
  ASSERT_NE(first, second);  // the revision differs

  AddEntity();
  {
    test::TFileSizeLimit full(16);
    // Once used to leave an empty file, and the second Save then made that
    // the backup in place of the only good copy.
    Trigger("SaveItem");
    Trigger("SaveItem");
  }
  EXPECT_EQ(Messages.Lines(), QStringList({FullDisk(), FullDisk()}));
  EXPECT_EQ(Bytes(file), second);
  EXPECT_EQ(Bytes(backup), first);
  EXPECT_EQ(Surface().Entities.Count(), 2);

  Messages.Reset();
  Trigger("SaveItem");
  EXPECT_TRUE(Messages.Messages.isEmpty());
  EXPECT_EQ(Bytes(backup), second);
  EXPECT_NE(Bytes(file), second);
}

TEST_F(FileSafetyTest, UndoOnAFullDiskKeepsTheDiagramAndSaysWhy)
{
  AddEntity();
  Trigger("SaveAsItem");
  Trigger("OpenItem");  // unchanged: no question; the snapshot holds one entity
  ASSERT_EQ(Surface().Entities.Count(), 1);
  AddEntity();
  {
    test::TFileSizeLimit full(16);
    Trigger("UndoItem");
  }
  // Once cleared the diagram and loaded an empty file as "not a diagram".
  EXPECT_EQ(Messages.Lines(), QStringList{FullDisk()});
  EXPECT_EQ(Surface().Entities.Count(), 2);

  Messages.Reset();
  Trigger("UndoItem");
  EXPECT_TRUE(Messages.Messages.isEmpty());
  EXPECT_EQ(Surface().Entities.Count(), 1);
  EXPECT_EQ(Bytes(Dir.filePath(QStringLiteral("undo.bak"))), Window->Document().UndoSnapshot());
}

}  // namespace
}  // namespace veska
