#include "shell/ReOpenDlg.h"
#include "support/RecordingMessages.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace veska {
namespace {

QStringList Names(int from, int to)
{
  QStringList names;
  for (int i = from; i <= to; ++i)
    names << QStringLiteral("/m/file%1.erd").arg(i);
  return names;
}

class ReOpenDlgTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  TSettings Settings{Dir.path()};
};

TEST_F(ReOpenDlgTest, AddFileKeepsTheTenMostRecentWithoutDuplicates)
{
  TReOpenDlg dlg(Settings);
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Veska - Reopen a Diagram"));
  EXPECT_EQ(dlg.MaxFiles, 10);
  EXPECT_EQ(dlg.GetSelected(), QString());  // empty list: nothing selected

  for (const QString& name : Names(1, 11))
    dlg.AddFile(name);
  QStringList expected = Names(2, 11);
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(dlg.Files(), expected);

  // A name differing only in letter case moves the entry to the top.
  dlg.AddFile(QStringLiteral("/M/FILE5.ERD"));
  EXPECT_EQ(dlg.Files().size(), 10);
  EXPECT_EQ(dlg.Files().first(), QStringLiteral("/m/file5.erd"));
  EXPECT_EQ(dlg.Files().count(QStringLiteral("/m/file5.erd")), 1);
  EXPECT_EQ(dlg.GetSelected(), QStringLiteral("/m/file5.erd"));

  dlg.MRUList->clearSelection();
  EXPECT_EQ(dlg.GetSelected(), QString());
}

TEST_F(ReOpenDlgTest, TheListSurvivesTheNextStartInOrder)
{
  {
    TReOpenDlg dlg(Settings);
    for (const QString& name : Names(1, 3))
      dlg.AddFile(name);
  }
  TReOpenDlg again(Settings);
  EXPECT_EQ(again.Files(), QStringList({QStringLiteral("/m/file3.erd"), QStringLiteral("/m/file2.erd"),
                                        QStringLiteral("/m/file1.erd")}));
  // The first entry is selected at creation; a double-click opens.
  EXPECT_EQ(again.GetSelected(), QStringLiteral("/m/file3.erd"));
  QSignalSpy accepted(&again, &QDialog::accepted);
  const QRect row = again.MRUList->visualItemRect(again.MRUList->item(1));
  QTest::mouseClick(again.MRUList->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(again.MRUList->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(accepted.count(), 1);
  EXPECT_EQ(again.GetSelected(), QStringLiteral("/m/file2.erd"));
}

TEST_F(ReOpenDlgTest, AFailedWriteIsReportedNotThrown)
{
  test::TRecordingMessages msgs;
  QFile blocker(Dir.filePath(QStringLiteral("file")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  // Both the program directory and the configuration folder lie below a
  // regular file, so neither can be written.
  const bool hadHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("file/config")).toUtf8());
  TSettings unwritable(Dir.filePath(QStringLiteral("file/program")));
  {
    auto dlg = std::make_unique<TReOpenDlg>(unwritable, nullptr, &msgs);
    dlg->AddFile(QStringLiteral("/a.erd"));
    EXPECT_NO_THROW(dlg.reset());
  }
  {
    TReOpenDlg silent(unwritable);
    silent.AddFile(QStringLiteral("/a.erd"));
  }
  if (hadHome)
    qputenv("XDG_CONFIG_HOME", oldHome);
  else
    qunsetenv("XDG_CONFIG_HOME");
  ASSERT_EQ(msgs.Messages.size(), 1);
  EXPECT_EQ(msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(msgs.Messages[0].Text.contains(QStringLiteral("VESKA.INI")));
}

}  // namespace
}  // namespace veska
