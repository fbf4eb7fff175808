// The Print, Print Setup, Help and Build items of the main window, with the
// dialogs they open answered as a user answers them.

#include "MainWindowFixture.h"

namespace veska {
namespace {

using test::AnswerModal;
using test::MainWindowTest;
using test::OpenBuildDialog;

TEST_F(MainWindowTest, PrintWithoutAPrinterWritesTheChosenPagesIntoOnePdfFile)
{
  Window->Printing().SetPrinterInstalled([] { return false; });
  TEntity* entity = DrawEntity(QPoint(100, 100));
  ASSERT_NE(entity, nullptr);
  const TPageGrid grid = PageGrid(Surface(), Window->Printing().PageDevice());
  const QString file = Path(QStringLiteral("pages.pdf"));
  Messages.Answers = {mbYes};
  Files.Names = {file};

  // The dialog is given the page grid; "All Pages" prints every page.
  EXPECT_TRUE(AnswerModal<TPrintDlg>([&] { Button("PrintBtn")->click(); }, [&](TPrintDlg* dialog) {
    EXPECT_EQ(dialog->PagesAcross, grid.Across);
    EXPECT_EQ(dialog->PagesDown, grid.Down);
    EXPECT_EQ(QPoint(dialog->CurrentPageColumn, dialog->CurrentPageRow), grid.PageAt(Window->View().mapFrom(
                                                                             Window->ScrollBox1->viewport(),
                                                                             Window->ScrollBox1->viewport()->rect().center())));
    EXPECT_TRUE(dialog->RadioButtonAll->isChecked());
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  }));
  ASSERT_EQ(Messages.Messages.size(), 1);
  EXPECT_EQ(Messages.Messages[0].Type, TMsgDlgType::mtConfirmation);
  EXPECT_EQ(Files.Asked, 1);
  EXPECT_EQ(test::PdfPageCount(file), grid.Across * grid.Down);
  EXPECT_TRUE(test::PdfPageText(file, 1).contains(entity->EntityName()));
  EXPECT_TRUE(test::RunPdfTool(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("VESKA - Information Model V1.0")));

  // Only the current page, and the question declined: no file is asked for.
  QFile::remove(file);
  Messages.Answers = {mbNo};
  EXPECT_TRUE(AnswerModal<TPrintDlg>([&] { Item("PrintItem")->trigger(); }, [&](TPrintDlg* dialog) {
    dialog->RadioButtonCurrent->setChecked(true);
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  }));
  EXPECT_EQ(Files.Asked, 1);
  EXPECT_FALSE(QFile::exists(file));

  // A cancelled print dialog asks nothing further.
  EXPECT_TRUE(AnswerModal<TPrintDlg>([&] { Item("PrintItem")->trigger(); },
                                     [&](TPrintDlg* dialog) { QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton); }));
  EXPECT_EQ(Messages.Messages.size(), 2);
}

TEST_F(MainWindowTest, PrintSetupWithoutAPrinterSetsThePdfPageAndThePageLinesFollowIt)
{
  Window->Printing().SetPrinterInstalled([] { return false; });
  const TPageDevice portrait = View().PageDevice();
  EXPECT_LT(portrait.PageSize.width(), portrait.PageSize.height());

  // Print Setup opens on the PDF output's page.
  EXPECT_TRUE(AnswerModal<QPageSetupDialog>([&] { Item("PrintSetupItem")->trigger(); }, [&](QPageSetupDialog* dialog) {
    EXPECT_EQ(dialog->printer()->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(dialog->printer()->pageLayout().pageSize().id(), QPageSize::A4);
    dialog->reject();
  }));
  EXPECT_EQ(View().PageDevice().PageSize, portrait.PageSize);

  Window->Printing().SetPdfPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(18, 18, 18, 18)));
  const TPageDevice landscape = View().PageDevice();
  EXPECT_EQ(landscape.PageSize, portrait.PageSize.transposed());
  EXPECT_EQ(Window->Printing().PageDevice().PageSize, landscape.PageSize);
}

TEST_F(MainWindowTest, PrintSetupWithAPrinterConfirmsWithOKNotPrint)
{
  Window->Printing().SetPrinterInstalled([] { return true; });
  QString caption;
  EXPECT_TRUE(AnswerModal<QPrintDialog>([&] { Item("PrintSetupItem")->trigger(); }, [&](QPrintDialog* dialog) {
    auto* box = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    caption = box->button(QDialogButtonBox::Ok)->text();
    dialog->reject();
  }));
  EXPECT_EQ(caption, QStringLiteral("OK"));
}

TEST_F(MainWindowTest, EveryHelpButtonOfTheDialogsOpensAnExistingPage)
{
  // The shipped help where the program looks for it, and the pages its
  // contents list.
  const QDir shipped(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help")));
  ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("help")));
  for (const QString& file : shipped.entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(shipped.filePath(file), Path(QStringLiteral("help/") + file)));
  QStringList listed;
  const THelpWindow contents(Path(QStringLiteral("help")));
  for (const THelpWindow::TPage& page : contents.Pages())
    listed << page.File;

  DrawEntity(QPoint(100, 100));
  Window->BuildTableDlg->SetDrawingSurface(&Surface());
  Window->BuildFormDlg->SetDrawingSurface(&Surface());
  QStringList opened;
  for (const bool model : {false, true}) {
    Window->BuildTableDlg->BuildModel = model;
    for (QDialog* dialog : Window->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly)) {
      auto* box = dialog->findChild<QDialogButtonBox*>();
      QPushButton* help = box ? box->button(QDialogButtonBox::Help) : nullptr;
      if (!help || (model && dialog != Window->BuildTableDlg))
        continue;
      const QString name = QString::fromLatin1(dialog->metaObject()->className()).section(QStringLiteral("::"), -1);
      dialog->show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
      // A shown button is clicked; the small dialogs keep theirs hidden.
      if (help->isVisible())
        QTest::mouseClick(help, Qt::LeftButton);
      else
        help->click();
      // The page opens in a help window of the dialog's own, which takes
      // input while the dialog is modal.
      auto* shown = dialog->findChild<THelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
      ASSERT_NE(shown, nullptr) << qPrintable(name);
      EXPECT_TRUE(shown->isVisible());
      const QString page = shown->Browser->source().fileName();
      EXPECT_TRUE(listed.contains(page)) << qPrintable(name + QLatin1Char(' ') + page);
      EXPECT_FALSE(shown->Browser->toPlainText().contains(QStringLiteral("not found"))) << qPrintable(name);
      opened << QStringLiteral("%1%2 %3").arg(name, help->isVisible() ? QStringLiteral(" (shown)") : QString(), page);
      shown->hide();
      dialog->hide();
    }
  }
  opened.sort();
  EXPECT_EQ(opened, QStringList({"TBuildFormDlg (shown) forms.html", "TBuildTableDlg (shown) builddatabase.html",
                                 "TBuildTableDlg (shown) reengineer.html", "TFilterDlg zoom.html",
                                 "TFindDlg drawing.html", "TPrintDlg print.html", "TReportDlg entityreport.html",
                                 "TSetupDlg zoom.html", "TValidateDlg consistency.html"}));
}

TEST_F(MainWindowTest, DatabaseItemOpensTheBuildDialogOnTheDiagram)
{
  DrawEntity(QPoint(100, 100));
  int page = -1;
  const QString caption = OpenBuildDialog(Item("DatabaseItem"), [&](TBuildTableDlg* dialog) {
    page = dialog->PageControl->currentIndex();
    EXPECT_EQ(dialog->DrawingSurface(), &Surface());
    EXPECT_EQ(dialog->FilterButton->text(), QStringLiteral("All Tables"));
    QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
  });
  EXPECT_EQ(caption, QStringLiteral("Veska - Build Database"));
  EXPECT_EQ(page, TBuildTableDlg::pgOptions);
  EXPECT_EQ(Surface().Entities.Count(), 1);
}

TEST_F(MainWindowTest, FormsItemBuildsTheApplicationAndTheOpenEditorShowsTheCaptionsItGave)
{
  DrawEntity(QPoint(100, 100));
  TEntity* second = DrawEntity(QPoint(400, 100));
  // A form without a caption gets one from the run; the open editor shows it.
  second->EditFormCaption.clear();
  Window->EditEntity(second, TObjectEditor::pgForms);
  ASSERT_TRUE(Window->ObjectEditor->isVisible());
  EXPECT_EQ(Window->ObjectEditor->Forms()->formNameBox->currentText(), QString());
  // The program's directory holds the shipped settings and library.
  const QDir shipped(QCoreApplication::applicationDirPath());
  for (const QString& name : {QStringLiteral("VESKA.INI"), QStringLiteral("VESKA.LIB")})
    ASSERT_TRUE(QFile::copy(shipped.filePath(name), Path(name))) << name.toStdString();
  const QString out = Path(QStringLiteral("app"));
  ASSERT_TRUE(QDir().mkpath(out));

  int page = -1;
  const QString caption = OpenBuildDialog<TBuildFormDlg>(Item("FormsBuildItem"), [&](TBuildFormDlg* dialog) {
    page = dialog->PageControl->currentIndex();
    EXPECT_EQ(dialog->DrawingSurface(), &Surface());
    EXPECT_EQ(dialog->FilterButton->text(), QStringLiteral("All Forms"));
    EXPECT_EQ(dialog->LibraryFile, Path(QStringLiteral("VESKA.LIB")));
    dialog->SetDirectory(out);
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  });
  EXPECT_EQ(caption, QStringLiteral("Veska - Build Application"));
  EXPECT_EQ(page, TBuildFormDlg::pgOptions);
  EXPECT_EQ(Messages.Lines(), QStringList());
  EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 7) << "project, main unit and form, two units and forms";
  EXPECT_EQ(Window->ObjectEditor->Forms()->formNameBox->currentText(),
            QStringLiteral("Maintain ") + second->EntityName());
}

TEST_F(MainWindowTest, ReEngineerReadsTablesIntoANewDiagramAndLeavesTheOldFileAlone)
{
  const QString tables = Path(QStringLiteral("tables"));
  ASSERT_TRUE(QDir().mkpath(tables));
  CreateTable(tables, QStringLiteral("CUSTOMER"), TTableType::Dbase,
              {{QStringLiteral("CUST_ID"), eftInteger}, {QStringLiteral("NAME"), eftString, 20}}, {});
  DrawEntity(QPoint(100, 100));

  // Cancel in the save question ends the command before the dialog.
  Messages.Answers << mbCancel;
  EXPECT_EQ(OpenBuildDialog(Item("ReEngineerItem"), [](TBuildTableDlg* dialog) { dialog->reject(); }), QString());
  EXPECT_EQ(Surface().Entities.Count(), 1);

  Files.Names << Path(QStringLiteral("old.erd"));
  ASSERT_TRUE(Window->Document().SaveAs());
  const QByteArray saved = FileBytes(Path(QStringLiteral("old.erd")));
  // The view scrolled away from the top left of the old diagram.
  Window->ScrollBox1->horizontalScrollBar()->setValue(300);
  Window->ScrollBox1->verticalScrollBar()->setValue(400);
  ASSERT_GT(Window->ScrollBox1->verticalScrollBar()->value(), 0);
  int page = -1;
  const QString caption = OpenBuildDialog(Item("ReEngineerItem"), [&](TBuildTableDlg* dialog) {
    page = dialog->PageControl->currentIndex();
    EXPECT_EQ(Surface().Entities.Count(), 0);
    dialog->SetDirectory(tables);
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  });
  EXPECT_EQ(caption, QStringLiteral("Veska - Build Information Model"));
  EXPECT_EQ(page, TBuildTableDlg::pgDestination);
  ASSERT_EQ(Surface().Entities.Count(), 1);
  EXPECT_EQ(Surface().Entities.Strings(0), QStringLiteral("CUSTOMER"));
  EXPECT_EQ(View().size(), QSize(Surface().Width, Surface().Height));
  // The new diagram is shown from its top left, where its boxes are.
  EXPECT_EQ(Window->ScrollBox1->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(Window->ScrollBox1->verticalScrollBar()->value(), 0);
  // The model read is a new diagram: Save must not overwrite the closed one.
  EXPECT_EQ(Window->Document().FileName(), TDiagramDocument::NewFileName);
  EXPECT_EQ(Window->windowTitle(), QStringLiteral("Veska - new.ERD"));
  EXPECT_EQ(FileBytes(Path(QStringLiteral("old.erd"))), saved);
}

}  // namespace
}  // namespace veska
