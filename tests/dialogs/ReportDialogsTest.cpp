// The report dialogs driven through their controls: initial states, the
// enabling rules, and the report display's text, font and printing.
#include "dialogs/ReportDlg.h"
#include "dialogs/ShowReportDlg.h"
#include "dialogs/ValidateDlg.h"
#include "support/RecordingMessages.h"

#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace veska {
namespace {

void Click(QAbstractButton* button)
{
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
}

// "name:checked/enabled" for each box, in the order given.
QStringList States(const QList<QCheckBox*>& boxes)
{
  QStringList states;
  for (const QCheckBox* b : boxes)
    states << QStringLiteral("%1:%2%3").arg(b->objectName(), b->isChecked() ? "x" : "-", b->isEnabled() ? "" : " off");
  return states;
}

class ReportDlgTest : public ::testing::Test {
protected:
  void SetUp() override { Dlg.show(); }
  TReportDlg Dlg;
  QList<QCheckBox*> PKSubs() const
  {
    return {Dlg.PKColNameCheckBox, Dlg.PKColTypeCheckBox, Dlg.PKNullCheckBox, Dlg.PKDescCheckBox};
  }
  QList<QCheckBox*> AttrSubs() const
  {
    return {Dlg.AttrColNameCheckBox, Dlg.AttrColTypeCheckBox, Dlg.AttrNullCheckBox, Dlg.AttrDescCheckBox};
  }
  static bool AllEnabled(const QList<QCheckBox*>& boxes, bool enabled)
  {
    return std::all_of(boxes.begin(), boxes.end(), [&](QCheckBox* b) { return b->isEnabled() == enabled; });
  }
};

TEST_F(ReportDlgTest, StartsAsTheReportDefaults)
{
  EXPECT_EQ(Dlg.windowTitle(), QStringLiteral("Veska - Entity Report"));
  const QList<QCheckBox*> boxes = Dlg.findChildren<QCheckBox*>();
  EXPECT_EQ(boxes.size(), 14);
  for (QCheckBox* b : boxes)
    EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
  EXPECT_EQ(Dlg.PrimaryKeyCheckBox->text().remove('&'), QStringLiteral("Primary Key"));
  EXPECT_TRUE(Dlg.RadioButton1->isChecked());
  EXPECT_TRUE(Dlg.HelpBtn->isHidden());
  const TEntityReportOptions o = Dlg.Options(), defaults;
  EXPECT_EQ(std::make_tuple(o.TableName, o.PrimaryKey, o.PKColName, o.Attributes, o.Relations, o.Tabular),
            std::make_tuple(defaults.TableName, defaults.PrimaryKey, defaults.PKColName, defaults.Attributes,
                            defaults.Relations, defaults.Tabular));
  EXPECT_EQ(TReportDlg::SaveTitle, QStringLiteral("Veska - Save Entity Report As"));
}

TEST_F(ReportDlgTest, GroupBoxesEnableTheirSubBoxes)
{
  Click(Dlg.PrimaryKeyCheckBox);
  EXPECT_TRUE(AllEnabled(PKSubs(), false));
  Click(Dlg.PrimaryKeyCheckBox);
  EXPECT_TRUE(AllEnabled(PKSubs(), true));
  Click(Dlg.AttributeCheckBox);
  EXPECT_TRUE(AllEnabled(AttrSubs(), false));
  Click(Dlg.AttributeCheckBox);
  EXPECT_TRUE(AllEnabled(AttrSubs(), true));
  Click(Dlg.RelationCheckBox);
  EXPECT_FALSE(Dlg.RelDescCheckBox->isEnabled());
  Click(Dlg.RelationCheckBox);
  EXPECT_TRUE(Dlg.RelDescCheckBox->isEnabled());
}

TEST_F(ReportDlgTest, TabularCopiesKeyColumnsAndDisablesWhatItIgnores)
{
  Click(Dlg.PKColNameCheckBox);
  Click(Dlg.PKNullCheckBox);
  Click(Dlg.AttrColTypeCheckBox);
  Click(Dlg.AttrDescCheckBox);
  Click(Dlg.RadioButton2);
  EXPECT_EQ(States(PKSubs() + AttrSubs()),
            QStringList({"PKColNameCheckBox:x", "PKColTypeCheckBox:-", "PKNullCheckBox:x", "PKDescCheckBox:- off",
                         "AttrColNameCheckBox:x off", "AttrColTypeCheckBox:- off", "AttrNullCheckBox:x off",
                         "AttrDescCheckBox:x off"}));
  // The report reads disabled boxes too.
  EXPECT_TRUE(Dlg.Options().AttrDesc);
  EXPECT_TRUE(Dlg.Options().Tabular);

  // In Tabular the key box leaves the key's description disabled, and the
  // attribute box enables nothing.
  Click(Dlg.PrimaryKeyCheckBox);
  Click(Dlg.PrimaryKeyCheckBox);
  EXPECT_TRUE(Dlg.PKColNameCheckBox->isEnabled());
  EXPECT_FALSE(Dlg.PKDescCheckBox->isEnabled());
  Click(Dlg.AttributeCheckBox);
  Click(Dlg.AttributeCheckBox);
  EXPECT_TRUE(AllEnabled(AttrSubs(), false));

  Click(Dlg.RadioButton1);
  EXPECT_TRUE(AllEnabled(PKSubs() + AttrSubs(), true));

  // Without "Attributes" Tabular copies nothing, and Labelled enables only
  // what its group box allows.
  Click(Dlg.AttributeCheckBox);
  Click(Dlg.PKColTypeCheckBox);
  Click(Dlg.RadioButton2);
  EXPECT_FALSE(Dlg.AttrColTypeCheckBox->isChecked());
  Click(Dlg.RadioButton1);
  EXPECT_TRUE(Dlg.PKDescCheckBox->isEnabled());
  EXPECT_TRUE(AllEnabled(AttrSubs(), false));
}

TEST(ValidateDlgTest, EntitiesAndDomainsEnableTheirColumns)
{
  TValidateDlg dlg({QStringLiteral("Integer")});
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Veska - Consistency Report"));
  EXPECT_EQ(dlg.DataTypeList, QStringList{QStringLiteral("Integer")});
  const QList<QCheckBox*> domainSubs = {dlg.DomainNameCheckBox, dlg.DomainTypeCheckBox, dlg.DomainRuleCheckBox};
  const QList<QCheckBox*> entitySubs = {dlg.EntityNameCheckBox, dlg.EntityTypeCheckBox, dlg.EntityRuleCheckBox,
                                        dlg.EntityKeyCheckBox};
  for (QCheckBox* b : dlg.findChildren<QCheckBox*>())
    EXPECT_TRUE(b->isChecked() && b->isEnabled()) << b->objectName().toStdString();

  Click(dlg.DomainTypeCheckBox);  // reads "Domains" only: nothing else changes
  EXPECT_EQ(States(domainSubs), QStringList({"DomainNameCheckBox:x", "DomainTypeCheckBox:-", "DomainRuleCheckBox:x"}));
  Click(dlg.DomainCheckBox);
  EXPECT_EQ(States(domainSubs),
            QStringList({"DomainNameCheckBox:x off", "DomainTypeCheckBox:- off", "DomainRuleCheckBox:x off"}));
  Click(dlg.EntityCheckBox);
  EXPECT_EQ(States(entitySubs), QStringList({"EntityNameCheckBox:x off", "EntityTypeCheckBox:x off",
                                             "EntityRuleCheckBox:x off", "EntityKeyCheckBox:x off"}));
  EXPECT_FALSE(dlg.Options().Domains || dlg.Options().Entities);
  Click(dlg.EntityCheckBox);
  EXPECT_TRUE(dlg.Options().Entities);
  EXPECT_EQ(States(entitySubs), QStringList({"EntityNameCheckBox:x", "EntityTypeCheckBox:x", "EntityRuleCheckBox:x",
                                             "EntityKeyCheckBox:x"}));
}

class ShowReportDlgTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  test::TRecordingMessages Msgs;
  TShowReportDlg Dlg{Msgs};
  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(ShowReportDlgTest, ShowsTheFileInAFixedFontAndLeavesItAlone)
{
  EXPECT_EQ(Dlg.windowTitle(), QStringLiteral("Veska - Report Display"));
  EXPECT_EQ(Dlg.size(), QSize(435, 300));
  EXPECT_TRUE(QFontInfo(Dlg.Memo1->font()).fixedPitch());
  EXPECT_EQ(Dlg.Memo1->font().pixelSize(), 13);
  EXPECT_EQ(Dlg.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_FALSE(Dlg.Memo1->isReadOnly());
  EXPECT_EQ(Dlg.PrintButton->toolTip(), QStringLiteral("Print the Report"));

  const QByteArray bytes = "Entity-Relation Report\r\n\r\nEntity Name: Caf\xc3\xa9\r\n";
  QFile file(Path("r.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  file.close();
  ASSERT_TRUE(Dlg.LoadReport(Path("r.txt")));
  EXPECT_EQ(Dlg.Lines(), QStringList({"Entity-Relation Report", "", "Entity Name: Caf\u00e9"}));
  Dlg.Memo1->appendPlainText(QStringLiteral("edited"));
  EXPECT_EQ(Dlg.Lines().size(), 4);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), bytes);

  EXPECT_FALSE(Dlg.LoadReport(Path("missing.txt")));
}

TEST_F(ShowReportDlgTest, PagesBreakWhenTheNextLineDoesNotFit)
{
  QPdfWriter pdf(Path("p.pdf"));
  pdf.setResolution(96);
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  QFont font = Dlg.Memo1->font();
  const int lineHeight = QFontMetrics(font, &pdf).lineSpacing();
  const int perPage = pdf.height() / lineHeight;
  ASSERT_GT(perPage, 10);
  EXPECT_EQ(PrintReportLines(pdf, QStringList(perPage, QStringLiteral("x")), font), 1);

  QPdfWriter pdf2(Path("p2.pdf"));
  pdf2.setResolution(96);
  pdf2.setPageMargins(QMarginsF(0, 0, 0, 0));
  EXPECT_EQ(PrintReportLines(pdf2, QStringList(2 * perPage + 1, QStringLiteral("x")), font), 3);

  QPdfWriter empty(Path("e.pdf"));
  EXPECT_EQ(PrintReportLines(empty, {}, font), 1);
  QPdfWriter broken(Path("no/such/dir/b.pdf"));
  EXPECT_EQ(PrintReportLines(broken, {QStringLiteral("x")}, font), 0);
}

TEST_F(ShowReportDlgTest, WithoutPrintersPrintOffersAPdfFile)
{
  if (!QPrinterInfo::availablePrinters().isEmpty())
    GTEST_SKIP() << "a printer is installed";
  Dlg.Memo1->setPlainText(QStringLiteral("line one\nline two"));
  QStringList asked;
  Dlg.AskPdfFileName = [&](const QString& title, const QString& filter) {
    asked << title << filter;
    return Path("report.pdf");
  };
  Msgs.Answers = {mbNo};
  Click(Dlg.PrintButton);
  EXPECT_EQ(Msgs.Lines(),
            QStringList{"confirmation: No printer is installed. Write the report to a PDF file instead?"});
  EXPECT_TRUE(asked.isEmpty());

  Msgs.Answers = {mbYes};
  Click(Dlg.PrintButton);
  EXPECT_EQ(asked, QStringList({TShowReportDlg::PdfTitle, TShowReportDlg::PdfFilter}));
  QFile pdf(Path("report.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
  EXPECT_EQ(Msgs.Messages.size(), 2);
}

}  // namespace
}  // namespace veska
