// The Report menu driven through the real main window and dialogs: options,
// file names, the written file and the report display; and the failures of
// writing and showing a report.
#include "dialogs/ReportDlg.h"
#include "dialogs/ShowReportDlg.h"
#include "dialogs/ValidateDlg.h"
#include "reports/ConsistencyReport.h"
#include "reports/EntityReport.h"
#include "reports/ReportText.h"
#include "shell/FileDialogs.h"
#include "shell/MainWindow.h"
#include "shell/ReportCommands.h"
#include "shell/Settings.h"
#include "support/RecordingMessages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace veska {
namespace {

// Save dialogs that note what they were asked and answer from a list.
class TAnsweringFileDialogs final : public TFileDialogs {
public:
  QString OpenFileName(const QString&, const QString&) override { return {}; }
  QString SaveFileName(const QString& title, const QString& filter, const QString& proposed) override
  {
    Asked << title + QLatin1Char('|') + filter.section(QLatin1Char('|'), 0, 0) + QLatin1Char('|') + proposed;
    return Answers.isEmpty() ? QString() : Answers.takeFirst();
  }
  QStringList Answers;
  QStringList Asked;
};

// Runs `step` on the modal dialog of type T as soon as it is shown.
template <class T>
void WhenShown(std::function<void(T*)> step)
{
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, step] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      step(dialog);
    }
  });
  timer->start(5);
}

QByteArray Contents(const QString& path)
{
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ReportCommandsTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  test::TRecordingMessages Msgs;
  TAnsweringFileDialogs Files;
  std::unique_ptr<TSettings> Settings;
  std::unique_ptr<TSDIAppForm> Window;
  QStringList DisplayedLines;

  void SetUp() override
  {
    QFile ini(Dir.filePath(QStringLiteral("VESKA.INI")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[DataTypes]\r\nInteger=\r\nVarChar=\r\n");
    ini.close();
    Settings = std::make_unique<TSettings>(Dir.path());
    Window = std::make_unique<TSDIAppForm>(*Settings, Msgs, Files);
    TDrawingSurface& s = Window->DrawingSurface();
    TEntity* e = s.AddEntity(std::make_unique<TEntity>());
    e->InsertKeyAttribute(0, QStringLiteral("Id"))->DataType = QStringLiteral("Integer");
    e->Description = QStringList{QStringLiteral("An entity.")};
  }

  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }
  QAction* Item(const char* name) const { return Window->findChild<QAction*>(QString::fromLatin1(name)); }

  // Closes the report display once shown, noting its lines.
  void CloseDisplayWhenShown()
  {
    WhenShown<TShowReportDlg>([this](TShowReportDlg* d) {
      DisplayedLines = d->Lines();
      QTest::mouseClick(d->CloseButton, Qt::LeftButton);
    });
  }
};

TEST_F(ReportCommandsTest, EntityListWritesAndShowsTheChosenReport)
{
  ASSERT_TRUE(Item("EntityListItem")->isEnabled());
  Files.Answers = {Path("entities.txt")};
  WhenShown<TReportDlg>([](TReportDlg* d) {
    QTest::mouseClick(d->EntityDescCheckBox, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseClick(d->OKBtn, Qt::LeftButton);
  });
  CloseDisplayWhenShown();
  Item("EntityListItem")->trigger();

  TEntityReportOptions o;
  o.EntityDesc = true;
  const QString expected = EntityReportText(Window->DrawingSurface(), o);
  EXPECT_EQ(Contents(Path("entities.txt")), expected.toUtf8());
  EXPECT_EQ(DisplayedLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), expected);
  EXPECT_TRUE(expected.contains(QStringLiteral("  Description: An entity.\r\n")));
  EXPECT_EQ(Files.Asked, QStringList{"Veska - Save Entity Report As|Text Files (*.TXT)|"});
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

TEST_F(ReportCommandsTest, ConsistencyCheckUsesTheSettingsDataTypes)
{
  EXPECT_EQ(Window->ValidateDlg->DataTypeList, QStringList({"Integer", "VarChar"}));
  Files.Answers = {Path("check.txt")};
  WhenShown<TValidateDlg>([](TValidateDlg* d) { QTest::mouseClick(d->OKBtn, Qt::LeftButton); });
  CloseDisplayWhenShown();
  Item("ConsistencyItem")->trigger();
  const QString expected = ConsistencyReportText(Window->DrawingSurface(), {"Integer", "VarChar"}, {});
  EXPECT_EQ(Contents(Path("check.txt")), expected.toUtf8());
  EXPECT_TRUE(expected.contains(QStringLiteral(" has no attributes defined.")));
  EXPECT_EQ(DisplayedLines.size(), expected.count(QStringLiteral("\r\n")));

  // The next run proposes the name chosen last; a cancelled save dialog
  // writes and shows nothing.
  DisplayedLines.clear();
  WhenShown<TValidateDlg>([](TValidateDlg* d) { QTest::mouseClick(d->OKBtn, Qt::LeftButton); });
  Item("ConsistencyItem")->trigger();
  EXPECT_EQ(Files.Asked, QStringList({"Veska - Save Consistency Report As|Text Files (*.TXT)|",
                                      "Veska - Save Consistency Report As|Text Files (*.TXT)|" + Path("check.txt")}));
  EXPECT_TRUE(DisplayedLines.isEmpty());
}

TEST_F(ReportCommandsTest, FilesThatCannotBeWrittenOrShownAreReported)
{
  TShowReportDlg& display = *Window->ShowReportDlg;
  QString last;
  // Written, then gone before it can be shown: the file name is reported.
  Files.Answers = {QStringLiteral("gone.txt")};
  const QString current = QDir::currentPath();
  QDir::setCurrent(Dir.path());
  SaveAndShowReport(QStringLiteral("T"), TReportDlg::SaveFilter, last, Files, Msgs, display,
                    [](const QString& name) {
                      WriteReportFile(name, QStringLiteral("x\r\n"));
                      QFile::remove(name);
                    });
  QDir::setCurrent(current);
  EXPECT_EQ(Msgs.Lines(), QStringList{"information: Report Saved to " + Path("gone.txt")});
  EXPECT_EQ(last, QStringLiteral("gone.txt"));

  Msgs.Reset();
  Files.Answers = {Path("no/such/dir/r.txt")};
  SaveAndShowReport(QStringLiteral("T"), TReportDlg::SaveFilter, last, Files, Msgs, display,
                    [&](const QString& name) { WriteEntityReport(Window->DrawingSurface(), {}, name); });
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(Msgs.Messages[0].Text.startsWith("Cannot write \"" + Path("no/such/dir/r.txt") + "\": "));
  EXPECT_FALSE(display.isVisible());
}

}  // namespace
}  // namespace veska
