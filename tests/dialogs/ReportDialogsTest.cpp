// The report dialogs driven through their controls, and the report display's
// text and printing.
#include "dialogs/ReportDlg.h"
#include "dialogs/ShowReportDlg.h"
#include "dialogs/ValidateDlg.h"
#include "support/RecordingMessages.h"

#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QPdfWriter>
#include <QPlainTextEdit>
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

// One letter per box: "x" checked, "-" not; upper case "X"/"_" when disabled.
QString States(const QList<QCheckBox*>& boxes)
{
  QString states;
  for (const QCheckBox* b : boxes)
    states += b->isEnabled() ? (b->isChecked() ? 'x' : '-') : (b->isChecked() ? 'X' : '_');
  return states;
}

TEST(ReportDlgTest, EnablingRulesFollowTheGroupBoxesAndTheLayout)
{
  TReportDlg d;
  d.show();
  const QList<QCheckBox*> pk = {d.PKColNameCheckBox, d.PKColTypeCheckBox, d.PKNullCheckBox, d.PKDescCheckBox};
  const QList<QCheckBox*> attr = {d.AttrColNameCheckBox, d.AttrColTypeCheckBox, d.AttrNullCheckBox,
                                  d.AttrDescCheckBox};
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Veska - Entity Report"));
  EXPECT_EQ(States(d.findChildren<QCheckBox*>()), QStringLiteral("--x----x----x-"));
  EXPECT_TRUE(d.RadioButton1->isChecked());
  EXPECT_TRUE(d.HelpBtn->isHidden());

  Click(d.PrimaryKeyCheckBox);
  Click(d.AttributeCheckBox);
  Click(d.RelationCheckBox);
  EXPECT_EQ(States(pk + attr + QList<QCheckBox*>{d.RelDescCheckBox}), QStringLiteral("_________"));
  Click(d.PrimaryKeyCheckBox);
  Click(d.AttributeCheckBox);
  Click(d.RelationCheckBox);
  EXPECT_EQ(States(pk + attr + QList<QCheckBox*>{d.RelDescCheckBox}), QStringLiteral("---------"));

  // Tabular: the attribute boxes take the key's column states; what Tabular
  // ignores is disabled, yet still read.
  Click(d.PKColNameCheckBox);
  Click(d.PKNullCheckBox);
  Click(d.AttrColTypeCheckBox);
  Click(d.AttrDescCheckBox);
  Click(d.RadioButton2);
  EXPECT_EQ(States(pk + attr), QStringLiteral("x-x_X_XX"));
  EXPECT_TRUE(d.Options().Tabular && d.Options().AttrDesc && d.Options().AttrNull);

  // In Tabular the key box leaves the key's description disabled and the
  // attribute box enables nothing; Labelled enables them again.
  Click(d.PrimaryKeyCheckBox);
  Click(d.PrimaryKeyCheckBox);
  Click(d.AttributeCheckBox);
  Click(d.AttributeCheckBox);
  EXPECT_EQ(States(pk + attr), QStringLiteral("x-x_X_XX"));
  Click(d.RadioButton1);
  EXPECT_EQ(States(pk + attr), QStringLiteral("x-x-x-xx"));

  // Without "Attributes", Tabular copies nothing and Labelled enables only
  // the key's description.
  Click(d.AttributeCheckBox);
  Click(d.PKColTypeCheckBox);
  Click(d.RadioButton2);
  Click(d.RadioButton1);
  EXPECT_EQ(States(pk + attr), QStringLiteral("xxx-X_XX"));
}

TEST(ValidateDlgTest, SectionBoxesEnableTheirColumns)
{
  TValidateDlg d({QStringLiteral("Integer")});
  d.show();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Veska - Consistency Report"));
  const QList<QCheckBox*> domains = {d.DomainNameCheckBox, d.DomainTypeCheckBox, d.DomainRuleCheckBox};
  const QList<QCheckBox*> entities = {d.EntityNameCheckBox, d.EntityTypeCheckBox, d.EntityRuleCheckBox,
                                      d.EntityKeyCheckBox};
  EXPECT_EQ(States(d.findChildren<QCheckBox*>()), QStringLiteral("xxxxxxxxx"));
  Click(d.DomainTypeCheckBox);  // shares the handler, which reads "Domains" only
  EXPECT_EQ(States(domains), QStringLiteral("x-x"));
  Click(d.DomainCheckBox);
  Click(d.EntityCheckBox);
  EXPECT_EQ(States(domains + entities), QStringLiteral("X_XXXXX"));
  EXPECT_FALSE(d.Options().Domains || d.Options().Entities);
  Click(d.EntityCheckBox);
  EXPECT_EQ(States(entities), QStringLiteral("xxxx"));
  EXPECT_TRUE(d.Options().Entities);
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
  EXPECT_EQ(Dlg.size(), QSize(435, 300));
  EXPECT_TRUE(QFontInfo(Dlg.Memo1->font()).fixedPitch());
  EXPECT_EQ(Dlg.Memo1->font().pixelSize(), 13);
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
  const QFont font = Dlg.Memo1->font();
  // Prints `full` pages' worth of lines and `extra` more.
  auto pages = [&](const char* name, int full, int extra) {
    QPdfWriter pdf(Path(name));
    pdf.setResolution(96);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    const int perPage = pdf.height() / QFontMetrics(font, &pdf).lineSpacing();
    return PrintReportLines(pdf, QStringList(perPage * full + extra, QStringLiteral("x")), font);
  };
  EXPECT_EQ(pages("one.pdf", 1, 0), 1);
  EXPECT_EQ(pages("three.pdf", 2, 1), 3);
  EXPECT_EQ(pages("empty.pdf", 0, 0), 1);
  EXPECT_EQ(pages("no/such/dir/b.pdf", 0, 1), 0);
}

TEST_F(ShowReportDlgTest, WithoutPrintersPrintOffersAPdfFile)
{
  // Whatever printers the machine has.
  Dlg.InstalledPrinters = [] { return QStringList(); };
  Dlg.Memo1->setPlainText(QStringLiteral("line one\nline two"));
  QStringList asked;
  Dlg.AskPdfFileName = [&](const QString& title, const QString&) {
    asked << title;
    return Path("report.pdf");
  };
  Msgs.Answers = {mbNo, mbYes};
  Click(Dlg.PrintButton);
  EXPECT_TRUE(asked.isEmpty());
  Click(Dlg.PrintButton);
  EXPECT_EQ(Msgs.Lines(),
            QStringList(2, "confirmation: No printer is installed. Write the report to a PDF file instead?"));
  EXPECT_EQ(asked, QStringList{TShowReportDlg::PdfTitle});
  QFile pdf(Path("report.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

}  // namespace
}  // namespace veska
