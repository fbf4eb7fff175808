// The build dialog driven through its widgets: the filter caption and the OK
// button, the way from Options to Destination to a build, reading the built
// tables back in the information model mode, and the destinations of the SQL
// servers (a script, SQLite's file, a connection with its password).
#include "dialogs/BuildTableDlg.h"
#include "dialogs/BuildDialogFixture.h"
#include "dialogs/SqlDestination.h"
#include "engine/TableEngine.h"
#include "model/Entity.h"
#include "platform/IniFile.h"
#include "support/FileBytes.h"
#include "support/SqlServers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

namespace veska {
namespace {

class BuildTableDlgTest : public test::BuildDialogTest<TBuildTableDlg> {
protected:
  TIniFile Ini{QStringLiteral(VESKA_SHIPPED_INI)};

  void SetUp() override
  {
    SurfaceTest::SetUp();
    Place(20, 20, {QStringLiteral("A_ID")}, {QStringLiteral("A_NAME")});
    Place(200, 20, {QStringLiteral("B_ID")});
    Place(400, 20, {QStringLiteral("C_ID")});
    Dlg = std::make_unique<TBuildTableDlg>(Ini, Msgs);
    Dlg->SetDirectory(Dir.path());
  }

  void Show(bool buildModel)
  {
    Dlg->BuildModel = buildModel;
    ShowOnSurface();
  }
};

TEST_F(BuildTableDlgTest, FilterCaptionFollowsTheChosenEntitiesAndNoneDisablesOK)
{
  Show(false);
  EXPECT_EQ(Dlg->windowTitle(), QStringLiteral("Veska - Build Database"));
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildTableDlg::pgOptions);
  EXPECT_EQ(Caption(), QStringLiteral("All Tables"));
  EXPECT_TRUE(Dlg->OKBtn->isEnabled());

  // An entity added after the first showing is not chosen.
  Dlg->hide();
  Place(600, 20);
  Show(false);
  EXPECT_EQ(Caption(), QStringLiteral("3 of 4"));

  Filter([](TFilterDlg* f) {
    f->ClearAllButtonClick();
    f->accept();
  });
  EXPECT_EQ(Caption(), QStringLiteral("None of 4"));
  EXPECT_FALSE(Dlg->OKBtn->isEnabled());
  ClickOK();
  EXPECT_TRUE(Dlg->isVisible());

  // Cancelling the filter keeps the choice.
  Filter([](TFilterDlg* f) {
    f->AddAllButtonClick();
    f->reject();
  });
  EXPECT_EQ(Caption(), QStringLiteral("None of 4"));
  Filter([](TFilterDlg* f) {
    f->AddAllButtonClick();
    f->accept();
  });
  EXPECT_EQ(Caption(), QStringLiteral("All Tables"));
  EXPECT_TRUE(Dlg->OKBtn->isEnabled());
}

TEST_F(BuildTableDlgTest, ChosenNamesThatAreNoLongerEntitiesArePrunedToNoneOf)
{
  Show(false);
  Dlg->hide();
  while (S.Entities.Count() > 0)
    S.DeleteEntity(0);
  Place(20, 20);
  Place(200, 20);
  Show(false);
  EXPECT_TRUE(Dlg->TableFilter.isEmpty());
  EXPECT_EQ(Caption(), QStringLiteral("None of 2"));
  EXPECT_FALSE(Dlg->OKBtn->isEnabled());
}

TEST_F(BuildTableDlgTest, BuildsTheTablesAndReadsThemBackIntoAnEmptiedSurface)
{
  Show(false);
  EXPECT_EQ(Dlg->OKBtn->text(), QStringLiteral("OK"));
  ClickOK();
  EXPECT_TRUE(Dlg->isVisible());
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildTableDlg::pgDestination);
  EXPECT_EQ(Dlg->OKBtn->text(), QStringLiteral("Build"));
  EXPECT_EQ(Dlg->Directory(), Dir.path());
  ClickOK();
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_EQ(Dlg->result(), QDialog::Accepted);
  EXPECT_EQ(Msgs.Lines(), QStringList{QStringLiteral("information: Processing completed.")});
  EXPECT_EQ(ListTables(Dir.path()).size(), 3);
  // The progress shows only the last step.
  EXPECT_EQ(Dlg->ProgressText->toPlainText().count(QLatin1Char('\n')), 0);
  EXPECT_TRUE(Dlg->ProgressText->toPlainText().startsWith(QStringLiteral("Creating Table ")));

  S.Clear();
  Msgs.Reset();
  Show(true);
  EXPECT_EQ(Dlg->windowTitle(), QStringLiteral("Veska - Build Information Model"));
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildTableDlg::pgDestination);
  EXPECT_TRUE(Dlg->ProgressText->toPlainText().isEmpty());
  EXPECT_EQ(Dlg->OKBtn->text(), QStringLiteral("OK"));
  ClickOK();
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_EQ(Msgs.Lines(), QStringList());
  ASSERT_EQ(S.Entities.Count(), 3);
  EXPECT_EQ(S.Entities.Objects(0)->PrimaryKey.Count(), 1);

  // Back in mode build, every name chosen before has gone with the old model.
  Show(false);
  EXPECT_EQ(Caption(), QStringLiteral("None of 3"));
  EXPECT_FALSE(Dlg->OKBtn->isEnabled());
}

TEST_F(BuildTableDlgTest, LongRunsShowTheirProgressOverTheDialogAndEndItBeforeAnError)
{
  TWindowProgress& progress = Dlg->WorkProgress;
  qint64 now = 0;
  QStringList labels;
  progress.Clock = [&] {
    now += 400;  // each table takes this long
    if (QProgressDialog* dialog = progress.Dialog(); dialog && dialog->isVisible()) {
      EXPECT_EQ(dialog->parentWidget(), Dlg.get());
      if (labels.isEmpty() || labels.last() != dialog->labelText())
        labels << dialog->labelText();
    }
    return now;
  };
  Show(false);
  ClickOK();
  ClickOK();
  ASSERT_EQ(ListTables(Dir.path()).size(), 3);
  EXPECT_EQ(labels, QStringList{"Building tables in " + QDir::toNativeSeparators(Dir.path())});
  EXPECT_FALSE(progress.Dialog());

  // Reading the tables back, the last of them damaged.
  const QStringList files = ListTables(Dir.path());
  {
    // A table cut off inside its header: a table, but damaged (a file that
    // is no table at all is skipped instead).
    QFile last(Dir.filePath(files.last()));
    ASSERT_TRUE(last.resize(0x60));
  }
  S.Clear();
  Msgs.Reset();
  labels.clear();
  bool busyWhenShown = true;
  Msgs.WhileShowing = [&] { busyWhenShown = progress.Busy(); };
  Show(true);
  ClickOK();
  Msgs.WhileShowing = nullptr;
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_FALSE(busyWhenShown);
  EXPECT_EQ(labels, QStringList{"Reading tables of " + QDir::toNativeSeparators(Dir.path())});
  EXPECT_FALSE(progress.Dialog());
}

TEST_F(BuildTableDlgTest, ACorruptTableIsReportedAsAnErrorAndKeepsTheTablesReadBeforeIt)
{
  Show(false);
  ClickOK();
  ClickOK();
  const QStringList files = ListTables(Dir.path());
  ASSERT_EQ(files.size(), 3);
  {
    // A table cut off inside its header: a table, but damaged (a file that
    // is no table at all is skipped instead).
    QFile last(Dir.filePath(files.last()));
    ASSERT_TRUE(last.resize(0x60));
  }
  S.Clear();
  Msgs.Reset();
  Show(true);
  ClickOK();
  EXPECT_FALSE(Dlg->isVisible());
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  ASSERT_GE(S.Entities.Count(), 2);
  EXPECT_EQ(S.Entities.Objects(0)->PrimaryKey.Count(), 1);
  EXPECT_EQ(S.Entities.Objects(1)->PrimaryKey.Count(), 1);
}

TEST_F(BuildTableDlgTest, SaveToFileOnlySkipsTheDestinationPageWhenTheServerSupportsIt)
{
  Show(false);
  // Neither shipped server writes schema files: the box stays off the way.
  EXPECT_FALSE(Dlg->SaveToFileCheckBox->isEnabled());
  Dlg->SaveToFileCheckBox->setChecked(true);
  ClickOK();
  EXPECT_TRUE(Dlg->isVisible());
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildTableDlg::pgDestination);
  EXPECT_EQ(ListTables(Dir.path()).size(), 0);
}

class SqlBuildTableDlgTest : public BuildTableDlgTest {
protected:
  void SetUp() override
  {
    BuildTableDlgTest::SetUp();
    Dlg->SetUserSettings(&User);
  }

  // Chooses the server on the Options page and moves to Destination.
  void ToDestination(const QString& server, bool saveToFile)
  {
    Show(false);
    Dlg->TargetServerComboBox->setCurrentText(server);
    Dlg->SaveToFileCheckBox->setChecked(saveToFile);
    ClickOK();
    ASSERT_EQ(Dlg->PageControl->currentIndex(), TBuildTableDlg::pgDestination);
  }
  static void Type(QLineEdit* edit, const QString& text)
  {
    edit->clear();
    QTest::keyClicks(edit, text);
  }

  TIniFile User{Dir.filePath(QStringLiteral("user.ini"))};
  TSqlDestination& Destination() const { return *Dlg->SqlDestination; }
};

TEST_F(SqlBuildTableDlgTest, SQLiteBuildsIntoTheFileNamedAndRemembersIt)
{
  ToDestination(QStringLiteral("SQLite"), false);
  EXPECT_FALSE(Dlg->DirectoryListBox1->isVisible());
  EXPECT_TRUE(Destination().fileEdit->isVisible());
  EXPECT_FALSE(Destination().hostEdit->isVisible());

  // Without a file nothing runs, and the user is told what is missing.
  ClickOK();
  EXPECT_TRUE(Dlg->isVisible());
  EXPECT_EQ(Msgs.Lines(), QStringList{QStringLiteral("error: Please name the database file to build.")});
  Msgs.Reset();

  const QString file = Dir.filePath(QStringLiteral("model.db"));
  Type(Destination().fileEdit, file);
  ClickOK();
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_EQ(Msgs.Lines(), QStringList{QStringLiteral("information: Processing completed.")});
  const test::TProgramOutput tables =
      test::RunSqlite3(file, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table';"));
  ASSERT_TRUE(tables.Ok()) << tables.Describe().toStdString();
  EXPECT_EQ(tables.Lines(), QStringList{QStringLiteral("3")});

  // The next showing offers the same file again.
  Destination().fileEdit->clear();
  ToDestination(QStringLiteral("SQLite"), false);
  EXPECT_EQ(Destination().fileEdit->text(), file);
}

TEST_F(SqlBuildTableDlgTest, SettingsThatCannotBeWrittenAreSaidAndTheBuildStillRuns)
{
  // A directory below a regular file cannot exist, not even for root.
  const QString blocker = Dir.filePath(QStringLiteral("blocker"));
  test::Write(blocker, "x");
  TIniFile unwritable(blocker + QStringLiteral("/veska/VESKA.INI"));
  Dlg->SetUserSettings(&unwritable);
  ToDestination(QStringLiteral("SQLite"), false);
  const QString file = Dir.filePath(QStringLiteral("model.db"));
  Type(Destination().fileEdit, file);
  ClickOK();
  ASSERT_EQ(Msgs.Messages.size(), 2) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(Msgs.Messages[0].Text.contains(blocker)) << Msgs.Messages[0].Text.toStdString();
  EXPECT_EQ(Msgs.Lines().last(), QStringLiteral("information: Processing completed."));
  EXPECT_TRUE(QFileInfo::exists(file));
  EXPECT_EQ(test::Read(blocker), QByteArray("x"));
}

TEST_F(SqlBuildTableDlgTest, SaveToFileWritesTheScriptAndConnectsToNothing)
{
  ToDestination(QStringLiteral("PostgreSQL"), true);
  EXPECT_TRUE(Destination().fileEdit->isVisible());
  EXPECT_FALSE(Destination().passwordEdit->isVisible());
  const QString script = Dir.filePath(QStringLiteral("model.sql"));
  Type(Destination().fileEdit, script);
  ClickOK();
  EXPECT_EQ(Msgs.Lines(), QStringList{QStringLiteral("information: Processing completed.")});
  const QByteArray text = test::Read(script);
  EXPECT_TRUE(text.startsWith("BEGIN;\r\n")) << text.left(40).toStdString();
  EXPECT_EQ(text.count("CREATE TABLE "), 3);
}

TEST_F(SqlBuildTableDlgTest, AConnectionKeepsItsFieldsButNeverThePassword)
{
  ToDestination(QStringLiteral("PostgreSQL"), false);
  EXPECT_FALSE(Destination().fileEdit->isVisible());
  EXPECT_TRUE(Destination().passwordEdit->isVisible());
  EXPECT_EQ(Destination().passwordEdit->echoMode(), QLineEdit::Password);
  // No server listens here: the run ends as one error with the server's
  // message, and nothing is reported as completed.
  const QString nowhere = Dir.filePath(QStringLiteral("nowhere"));
  Type(Destination().hostEdit, nowhere);
  Destination().portBox->setValue(5499);
  Type(Destination().databaseEdit, QStringLiteral("shop"));
  Type(Destination().userEdit, QStringLiteral("designer"));
  Type(Destination().passwordEdit, QStringLiteral("Hunter2-Secret"));
  ClickOK();
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_FALSE(Msgs.Messages[0].Text.contains(QStringLiteral("Hunter2")));
  EXPECT_FALSE(Dlg->ProgressText->toPlainText().contains(QStringLiteral("Hunter2")));
  EXPECT_TRUE(Destination().passwordEdit->text().isEmpty()) << "the password lives no longer than the run";

  const QByteArray settings = test::Read(User.FileName());
  EXPECT_FALSE(settings.contains("Hunter2"));
  Destination().hostEdit->clear();
  ToDestination(QStringLiteral("PostgreSQL"), false);
  EXPECT_EQ(Destination().hostEdit->text(), nowhere);
  EXPECT_EQ(Destination().portBox->value(), 5499);
  EXPECT_EQ(Destination().databaseEdit->text(), QStringLiteral("shop"));
  EXPECT_EQ(Destination().userEdit->text(), QStringLiteral("designer"));
  EXPECT_TRUE(Destination().passwordEdit->text().isEmpty());

  // Switching to a script and back keeps what was typed meanwhile.
  Type(Destination().hostEdit, QStringLiteral("db.example"));
  Dlg->SaveToFileCheckBox->setChecked(true);
  EXPECT_TRUE(Destination().fileEdit->isVisible());
  Dlg->SaveToFileCheckBox->setChecked(false);
  EXPECT_EQ(Destination().hostEdit->text(), QStringLiteral("db.example"));
}

TEST_F(SqlBuildTableDlgTest, ReadsAnSQLiteDatabaseIntoTheModelAndArrangesIt)
{
  const QString file = Dir.filePath(QStringLiteral("shop.db"));
  const test::TProgramOutput made = test::RunSqlite3(
      file, QStringLiteral("CREATE TABLE customer (id integer PRIMARY KEY, name varchar(30) NOT NULL);\n"
                           "CREATE TABLE orders (id integer PRIMARY KEY, customer integer REFERENCES customer (id));\n"
                           "CREATE VIEW recent AS SELECT * FROM orders;\n"));
  ASSERT_TRUE(made.Ok()) << made.Describe().toStdString();
  S.Clear();
  Dlg->TargetServerComboBox->setCurrentText(QStringLiteral("SQLite"));
  Show(true);
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildTableDlg::pgDestination);
  EXPECT_TRUE(Destination().fileEdit->isVisible());
  EXPECT_FALSE(Destination().schemaEdit->isVisible());

  // A name mistyped is said, and no empty database is made under it.
  const QString typo = Dir.filePath(QStringLiteral("shpo.db"));
  Type(Destination().fileEdit, typo);
  ClickOK();
  EXPECT_TRUE(Dlg->isVisible());
  EXPECT_EQ(Msgs.Lines(), QStringList{QStringLiteral("error: The database file %1 does not exist.").arg(typo)});
  EXPECT_FALSE(QFileInfo::exists(typo));
  Msgs.Reset();

  Type(Destination().fileEdit, file);
  ClickOK();
  EXPECT_FALSE(Dlg->isVisible());
  ASSERT_EQ(Msgs.Messages.size(), 1) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtInformation);
  ASSERT_EQ(S.Entities.Count(), 2);
  ASSERT_EQ(S.Relations.Count(), 1);
  // Arranged: the parent above its child, the boxes apart.
  const TEntity* customer = S.Entities.Find(QStringLiteral("customer"));
  const TEntity* orders = S.Entities.Find(QStringLiteral("orders"));
  ASSERT_TRUE(customer && orders);
  EXPECT_LE(customer->BoundsRect().bottom(), orders->BoundsRect().top());
  EXPECT_FALSE(customer->BoundsRect().intersects(orders->BoundsRect()));
}

TEST_F(SqlBuildTableDlgTest, ReadingPostgreSqlAsksForTheSchemaAndKeepsNoPassword)
{
  S.Clear();
  Dlg->TargetServerComboBox->setCurrentText(QStringLiteral("PostgreSQL"));
  // A model is read from a database, never from a script.
  Dlg->SaveToFileCheckBox->setChecked(true);
  Show(true);
  EXPECT_TRUE(Destination().schemaEdit->isVisible());
  EXPECT_FALSE(Destination().fileEdit->isVisible());
  Type(Destination().hostEdit, Dir.filePath(QStringLiteral("nowhere")));
  Type(Destination().schemaEdit, QStringLiteral("sales"));
  Type(Destination().passwordEdit, QStringLiteral("Hunter2-Secret"));
  ClickOK();
  // No server listens there: one error, the server's, and nothing read.
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_FALSE(Msgs.Messages[0].Text.contains(QStringLiteral("Hunter2")));
  EXPECT_TRUE(Destination().passwordEdit->text().isEmpty());
  EXPECT_EQ(S.Entities.Count(), 0);
  const QByteArray settings = test::Read(User.FileName());
  EXPECT_TRUE(settings.contains("Schema=sales")) << settings.toStdString();
  EXPECT_FALSE(settings.contains("Hunter2"));

  // Building asks for no schema; Save To File counts again.
  Show(false);
  EXPECT_TRUE(Destination().fileEdit->isVisibleTo(&Destination()));
  EXPECT_FALSE(Destination().schemaEdit->isVisibleTo(&Destination()));
}

}  // namespace
}  // namespace veska
