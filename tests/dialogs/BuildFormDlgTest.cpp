// The application build dialog driven through its widgets: defaults, the
// filter caption and OK, the chosen entities kept between showings, the way
// from Options to Destination to a run, names refused before a run, and runs
// that end with the generator's error.
#include "dialogs/BuildFormDlg.h"

#include "appgen/LibraryCipher.h"
#include "dialogs/BuildDialogFixture.h"
#include "model/Entity.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QTest>

#include <gtest/gtest.h>

namespace veska {
namespace {

class BuildFormDlgTest : public test::BuildDialogTest<TBuildFormDlg> {
protected:
  void SetUp() override
  {
    SurfaceTest::SetUp();
    // List order differs from alphabetical order.
    Named(QStringLiteral("Customer"), 20);
    Named(QStringLiteral("Article"), 200);
    Named(QStringLiteral("Bill"), 400);
    Dlg = std::make_unique<TBuildFormDlg>(Msgs);
    Dlg->SetDirectory(Dir.path());
    Dlg->LibraryFile = Dir.filePath(QStringLiteral("lib/VESKA.LIB"));
  }
  TEntity* Named(const QString& name, int left)
  {
    TEntity* e = Place(left, 20, {name.left(1) + QStringLiteral("_ID")});
    S.RenameEntity(S.Entities.IndexOfObject(e), name);
    return e;
  }
  void Show() { ShowOnSurface(); }
  void TypeName(const QString& name)
  {
    Dlg->AppNameEdit->setFocus();
    Dlg->AppNameEdit->selectAll();
    QTest::keyClick(Dlg->AppNameEdit, Qt::Key_Delete);
    // Key by key, each with its text (letters beyond ASCII as well).
    for (const QChar c : name)
      QTest::sendKeyEvent(QTest::Click, Dlg->AppNameEdit, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  // A library of 56 templates that the generator can read: one ignored byte,
  // then each template ended by "|". The texts are not valid form text.
  void WriteLibrary()
  {
    QByteArray plain("#");
    for (int n = 0; n < 56; ++n)
      plain += "{template " + QByteArray::number(n) + "}\r\n|";
    ASSERT_TRUE(QDir().mkpath(Dir.filePath(QStringLiteral("lib"))));
    QFile file(Dlg->LibraryFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(CipherLibrary(plain)), plain.size());
  }
  QStringList Files() const { return QDir(Dir.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(BuildFormDlgTest, ShowsItsDefaultsAndGoesFromOptionsToDestinationWithBuild)
{
  Show();
  EXPECT_EQ(Dlg->windowTitle(), QStringLiteral("Veska - Build Application"));
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildFormDlg::pgOptions);
  EXPECT_TRUE(Dlg->MDIFrameRadioButton->isChecked());
  EXPECT_EQ(Dlg->AppNameEdit->text(), QStringLiteral("Pilot"));
  EXPECT_EQ(Dlg->TargetComboBox->currentText(), QStringLiteral("delphi"));
  EXPECT_EQ(Caption(), QStringLiteral("All Forms"));
  EXPECT_EQ(Dlg->FormFilter, S.Entities.Texts()) << "the first showing chooses every entity in list order";

  // The name takes at most eight characters as they are typed.
  TypeName(QStringLiteral("Inventory"));
  EXPECT_EQ(Dlg->AppNameEdit->text(), QStringLiteral("Inventor"));

  EXPECT_EQ(Dlg->OKBtn->text(), QStringLiteral("OK"));
  ClickOK();
  EXPECT_TRUE(Dlg->isVisible());
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildFormDlg::pgDestination);
  EXPECT_EQ(Dlg->OKBtn->text(), QStringLiteral("Build"));

  // Each showing starts on Options with OK again.
  Dlg->hide();
  Show();
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildFormDlg::pgOptions);
  EXPECT_EQ(Dlg->OKBtn->text(), QStringLiteral("OK"));
}

TEST_F(BuildFormDlgTest, FilterCaptionFollowsTheChosenEntitiesAndNoneDisablesOK)
{
  Show();
  Filter([](TFilterDlg* f) {
    f->SelectedListBox->item(0)->setSelected(true);
    f->ClearSelectedButtonClick();
    f->accept();
  });
  EXPECT_EQ(Caption(), QStringLiteral("2 of 3"));
  EXPECT_EQ(Dlg->FormFilter, (QStringList{QStringLiteral("Bill"), QStringLiteral("Customer")}));
  EXPECT_TRUE(Dlg->OKBtn->isEnabled());

  Filter([](TFilterDlg* f) {
    f->ClearAllButtonClick();
    f->accept();
  });
  EXPECT_EQ(Caption(), QStringLiteral("None of 3"));
  EXPECT_FALSE(Dlg->OKBtn->isEnabled());
  ClickOK();
  EXPECT_TRUE(Dlg->isVisible());
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildFormDlg::pgOptions);

  Filter([](TFilterDlg* f) {
    f->AddAllButtonClick();
    f->accept();
  });
  EXPECT_EQ(Caption(), QStringLiteral("All Forms"));
  EXPECT_TRUE(Dlg->OKBtn->isEnabled());
}

TEST_F(BuildFormDlgTest, ChosenEntitiesAreKeptBetweenShowingsWithoutNewOnesAndPrunedOfDeletedOnes)
{
  Show();
  Dlg->hide();
  S.DeleteEntity(S.Entities.IndexOf(QStringLiteral("Article")));
  Named(QStringLiteral("Delivery"), 600);
  Named(QStringLiteral("Employee"), 800);
  Show();
  EXPECT_EQ(Dlg->FormFilter, (QStringList{QStringLiteral("Customer"), QStringLiteral("Bill")}));
  EXPECT_EQ(Caption(), QStringLiteral("2 of 4"));

  // A chosen name that is an entity again (of a new model) stays chosen.
  Dlg->hide();
  S.Clear();
  Named(QStringLiteral("Bill"), 20);
  Named(QStringLiteral("Article"), 200);
  Show();
  EXPECT_EQ(Dlg->FormFilter, QStringList{QStringLiteral("Bill")});
  EXPECT_EQ(Caption(), QStringLiteral("1 of 2"));
}

TEST_F(BuildFormDlgTest, NameThatIsNoPlainFileNameIsRefusedBeforeTheRunAndCanBeCorrected)
{
  WriteLibrary();
  Show();
  TypeName(QString());
  ClickOK();
  EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildFormDlg::pgOptions) << "refused on Options";

  // A name changed on its page after OK became Build is checked again.
  TypeName(QStringLiteral("ok"));
  ClickOK();
  Dlg->PageControl->setCurrentIndex(TBuildFormDlg::pgOptions);
  TypeName(QStringLiteral("../up"));
  Dlg->PageControl->setCurrentIndex(TBuildFormDlg::pgDestination);
  ClickOK();
  ASSERT_EQ(Msgs.Messages.size(), 2);
  EXPECT_EQ(Msgs.Messages[1].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(Msgs.Messages[1].Text.contains(QStringLiteral("../up")));
  EXPECT_TRUE(Dlg->isVisible());
  EXPECT_EQ(Dlg->OKBtn->text(), QStringLiteral("OK"));
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Dir.filePath(QStringLiteral("../up.DPR"))));
}

TEST_F(BuildFormDlgTest, NameThatCannotCompileIsRefusedBeforeTheRun)
{
  WriteLibrary();
  Show();
  for (const QString& name : {QStringLiteral("my app"), QStringLiteral("1st"), QStringLiteral("Pilot\u00e4"),
                              QStringLiteral("CMain")}) {
    Msgs.Messages.clear();
    TypeName(name);
    ClickOK();
    EXPECT_EQ(Dlg->PageControl->currentIndex(), TBuildFormDlg::pgOptions) << qPrintable(name);
    ASSERT_EQ(Msgs.Messages.size(), 1) << qPrintable(name);
    EXPECT_TRUE(Msgs.Messages[0].Text.contains(QLatin1Char('"') + name + QLatin1Char('"')))
        << qPrintable(Msgs.Messages[0].Text);
  }
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(BuildFormDlgTest, DestinationIsLabelledApplicationDirectoryAsTheDatabaseBuildsIs)
{
  // The tree and the chosen directory are one chooser, labelled as the
  // database build dialog labels its own.
  Show();
  ClickOK();
  ASSERT_EQ(Dlg->PageControl->currentIndex(), TBuildFormDlg::pgDestination);
  auto* layout = qobject_cast<QFormLayout*>(Dlg->PageControl->currentWidget()->layout());
  ASSERT_NE(layout, nullptr);
  auto* tree = qobject_cast<QLabel*>(layout->labelForField(Dlg->DirectoryListBox1));
  auto* text = qobject_cast<QLabel*>(layout->labelForField(Dlg->DirectoryEdit));
  ASSERT_TRUE(tree && text);
  EXPECT_EQ(tree->text(), QStringLiteral("Application &Directory"));
  EXPECT_EQ(text->text(), QStringLiteral("Application"));
}

TEST_F(BuildFormDlgTest, RunNeverReplacesTheOpenDiagramsFileAndReportsCutLines)
{
  Dlg->LibraryFile = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("VESKA.LIB"));
  // The open diagram was saved under the name the project file takes.
  Dlg->DiagramFile = Dir.filePath(QStringLiteral("Pilot.DPR"));
  QFile saved(Dlg->DiagramFile);
  ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
  saved.write("the diagram\r\n");
  saved.close();
  Show();
  ClickOK();
  ClickOK();
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_TRUE(Msgs.Messages[0].Text.contains(Dlg->DiagramFile)) << qPrintable(Msgs.Messages[0].Text);
  EXPECT_EQ(Files(), QStringList{QStringLiteral("Pilot.DPR")});
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), QByteArray("the diagram\r\n"));

  // A caption longer than a generated line may be is cut: the run writes
  // every other file and then says which file will not compile.
  Dlg->DiagramFile.clear();
  S.Entities.Find(QStringLiteral("Bill"))->EditFormCaption = QString(3000, QLatin1Char('B'));
  Msgs.Messages.clear();
  Show();
  ClickOK();
  ClickOK();
  EXPECT_EQ(Dlg->result(), QDialog::Accepted);
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(Msgs.Messages[0].Text.contains(QStringLiteral("CUnit2.DFM (the form of Bill)")))
      << qPrintable(Msgs.Messages[0].Text);
  EXPECT_TRUE(Files().contains(QStringLiteral("CUnit2.PAS")));
}

TEST_F(BuildFormDlgTest, MissingLibraryIsReportedAsAnErrorAndClosesTheDialog)
{
  Show();
  ClickOK();
  ClickOK();
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_EQ(Dlg->result(), QDialog::Rejected);
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(BuildFormDlgTest, BuildWritesTheApplicationOfTheChosenEntitiesAndCloses)
{
  Dlg->LibraryFile = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("VESKA.LIB"));
  ASSERT_TRUE(QFileInfo::exists(Dlg->LibraryFile)) << "the build copies the shipped library beside the test";
  Show();
  Filter([](TFilterDlg* f) {
    f->SelectedListBox->item(0)->setSelected(true);  // Article
    f->ClearSelectedButtonClick();
    f->accept();
  });
  // Every file takes a second: the run shows its progress over the dialog.
  qint64 now = 0;
  QString label;
  Dlg->WorkProgress.Clock = [&] {
    if (QProgressDialog* dialog = Dlg->WorkProgress.Dialog(); dialog && dialog->isVisible())
      label = dialog->labelText();
    return now += 1000;
  };
  ClickOK();
  ClickOK();
  EXPECT_EQ(label, QStringLiteral("Generating Pilot"));
  EXPECT_FALSE(Dlg->WorkProgress.Dialog());
  EXPECT_EQ(Msgs.Lines(), QStringList());
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_EQ(Dlg->result(), QDialog::Accepted);
  // Forms are numbered in the order of the choice: Bill, then Customer.
  EXPECT_EQ(Files(), (QStringList{QStringLiteral("CMain.DFM"), QStringLiteral("CMain.PAS"), QStringLiteral("CUnit0.DFM"),
                                  QStringLiteral("CUnit0.PAS"), QStringLiteral("CUnit1.DFM"),
                                  QStringLiteral("CUnit1.PAS"), QStringLiteral("Pilot.DPR")}));
  QFile form(Dir.filePath(QStringLiteral("CUnit0.DFM")));
  ASSERT_TRUE(form.open(QIODevice::ReadOnly));
  EXPECT_TRUE(form.readAll().contains("Maintain Bill"));
  // Each form's lines replace those of the one before.
  EXPECT_EQ(Dlg->ProgressText->toPlainText(),
            QStringLiteral("Generating Source for Customer\nGenerating Form for Customer"));
}

// The synthetic library's form templates are no form text, so the run writes
// the project file and the main unit and ends at the main form.
TEST_F(BuildFormDlgTest, RunShowsItsProgressAndKeepsTheFilesWrittenBeforeAnError)
{
  WriteLibrary();
  Show();
  TypeName(QStringLiteral("Shop"));
  QTest::mouseClick(Dlg->NormalFrameRadioButton, Qt::LeftButton);
  ClickOK();
  int pageWhileShowing = -1;
  QString progressWhileShowing;
  Msgs.WhileShowing = [&] {
    pageWhileShowing = Dlg->PageControl->currentIndex();
    progressWhileShowing = Dlg->ProgressText->toPlainText();
  };
  ClickOK();
  EXPECT_FALSE(Dlg->isVisible());
  ASSERT_EQ(Msgs.Messages.size(), 1);
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_EQ(pageWhileShowing, TBuildFormDlg::pgProgress);
  EXPECT_EQ(progressWhileShowing, QStringLiteral("Generating Project File\nGenerating Main Source File\n"
                                                 "Generating Main Form File"));
  EXPECT_EQ(Files(), (QStringList{QStringLiteral("CMain.PAS"), QStringLiteral("Shop.DPR")}));
}

}  // namespace
}  // namespace veska
