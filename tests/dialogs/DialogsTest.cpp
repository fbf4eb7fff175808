#include "dialogs/FilterDlg.h"
#include "dialogs/FindDlg.h"
#include "dialogs/SetupDlg.h"
#include "surface/SurfaceFixture.h"

#include <QButtonGroup>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "support/ListItems.h"

namespace veska {
namespace {

using test::Items;

void ClickRow(QListWidget* list, int row)
{
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

class FindDlgTest : public test::SurfaceTest {};

TEST_F(FindDlgTest, ListsEachKindInSurfaceOrderAndEnablesOkOnPick)
{
  S.AddDomain(std::make_unique<TDomain>());
  TEntity* b = Place(300, 10, {QStringLiteral("Id")});
  TEntity* a = Place(10, 10, {QStringLiteral("Id")});
  S.RenameEntity(0, QStringLiteral("Zeta"));
  S.RenameEntity(1, QStringLiteral("Alpha"));
  Draw(dtRelationOneToManyForeign, a, b);
  S.AddLabel(std::make_unique<TTextLabel>());

  TFindDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Veska - Find Object"));
  EXPECT_EQ(dlg.ComboBox1->count(), 5);
  dlg.ComboBox1->setCurrentIndex(1);  // left on another kind by an earlier use
  dlg.Prepare(S);
  EXPECT_EQ(dlg.ComboBox1->currentText(), QStringLiteral("Domain"));
  EXPECT_EQ(Items(dlg.ListBox1), QStringList{S.Domains.Strings(0)});
  EXPECT_EQ(dlg.SelectedType, QStringLiteral("Domain"));
  EXPECT_EQ(dlg.SelectedIndex, -1);
  EXPECT_FALSE(dlg.OKBtn->isEnabled());
  EXPECT_TRUE(dlg.HelpBtn->isHidden());

  dlg.ComboBox1->setCurrentIndex(dlg.ComboBox1->findText(QStringLiteral("Entity")));
  EXPECT_EQ(Items(dlg.ListBox1), QStringList({QStringLiteral("Zeta"), QStringLiteral("Alpha")}));
  dlg.ComboBox1->setCurrentIndex(dlg.ComboBox1->findText(QStringLiteral("Relation")));
  EXPECT_EQ(Items(dlg.ListBox1), QStringList{S.Relations.Strings(0)});
  dlg.ComboBox1->setCurrentIndex(dlg.ComboBox1->findText(QStringLiteral("Text")));
  EXPECT_EQ(Items(dlg.ListBox1), QStringList{S.Labels.Strings(0)});
  EXPECT_FALSE(dlg.OKBtn->isEnabled());

  dlg.ComboBox1->setCurrentIndex(dlg.ComboBox1->findText(QStringLiteral("Entity")));
  dlg.show();
  ClickRow(dlg.ListBox1, 1);
  EXPECT_TRUE(dlg.OKBtn->isEnabled());
  QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.SelectedType, QStringLiteral("Entity"));
  EXPECT_EQ(dlg.SelectedIndex, 1);

  // Switching the kind after a pick leaves OK on with nothing picked: -1.
  dlg.Prepare(S);
  dlg.show();
  ClickRow(dlg.ListBox1, 0);
  dlg.ComboBox1->setCurrentIndex(dlg.ComboBox1->findText(QStringLiteral("Text")));
  EXPECT_TRUE(dlg.OKBtn->isEnabled());
  dlg.OKBtnClick();
  EXPECT_EQ(dlg.SelectedType, QStringLiteral("Text"));
  EXPECT_EQ(dlg.SelectedIndex, -1);
}

TEST(FilterDlg, ButtonsMoveNamesAndBothListsStaySorted)
{
  TFilterDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Veska - Objects Filter"));
  EXPECT_EQ(dlg.AddSelectedButton->toolTip(), QStringLiteral("Add Selected"));
  dlg.SetLists({QStringLiteral("orders"), QStringLiteral("Customer"), QStringLiteral("Product"), QStringLiteral("item")},
               {QStringLiteral("PRODUCT"), QStringLiteral("Gone"), QStringLiteral("customer")});
  EXPECT_EQ(Items(dlg.AvailableListBox), QStringList({QStringLiteral("item"), QStringLiteral("orders")}));
  EXPECT_EQ(dlg.SelectedNames(), QStringList({QStringLiteral("Customer"), QStringLiteral("Product")}));

  dlg.show();
  dlg.AvailableListBox->item(1)->setSelected(true);
  QTest::mouseClick(dlg.AddSelectedButton, Qt::LeftButton);
  EXPECT_EQ(dlg.SelectedNames(),
            QStringList({QStringLiteral("Customer"), QStringLiteral("orders"), QStringLiteral("Product")}));

  dlg.SelectedListBox->item(0)->setSelected(true);
  dlg.SelectedListBox->item(2)->setSelected(true);
  QTest::mouseClick(dlg.ClearSelectedButton, Qt::LeftButton);
  EXPECT_EQ(Items(dlg.AvailableListBox),
            QStringList({QStringLiteral("Customer"), QStringLiteral("item"), QStringLiteral("Product")}));
  EXPECT_EQ(dlg.SelectedNames(), QStringList{QStringLiteral("orders")});

  QTest::mouseClick(dlg.AddAllButton, Qt::LeftButton);
  EXPECT_EQ(dlg.AvailableListBox->count(), 0);
  EXPECT_EQ(dlg.SelectedNames().size(), 4);
  QTest::mouseClick(dlg.ClearAllButton, Qt::LeftButton);
  EXPECT_TRUE(dlg.SelectedNames().isEmpty());

  // A double-click moves the entry under the pointer.
  const QRect row = dlg.AvailableListBox->visualItemRect(dlg.AvailableListBox->item(2));
  QTest::mouseClick(dlg.AvailableListBox->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(dlg.AvailableListBox->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(dlg.SelectedNames(), QStringList{QStringLiteral("orders")});
}

TEST(SetupDlg, InchesAndPixelsAt96PixelsPerInch)
{
  TSetupDlg dlg(96);
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Veska - Diagram Setup"));
  dlg.DiagramWidthPixels = 1000;
  dlg.DiagramHeightPixels = 1009;
  dlg.DisplayLocation = TDisplayLocation::TopRight;
  dlg.show();
  EXPECT_EQ(dlg.DiagramWidth->text(), QStringLiteral("10.42"));
  EXPECT_EQ(dlg.DiagramHeight->text(), QStringLiteral("10.51"));
  // Showing does not round the sizes to what the boxes show.
  EXPECT_EQ(dlg.DiagramHeightPixels, 1009);
  EXPECT_TRUE(dlg.DisplayLocationButtons->button(2)->isChecked());

  dlg.DiagramWidth->setText(QStringLiteral("12.5"));
  EXPECT_EQ(dlg.DiagramWidthPixels, 1200);
  EXPECT_TRUE(dlg.OKBtn->isEnabled());

  dlg.DiagramHeight->setText(QStringLiteral("341.32"));
  EXPECT_EQ(dlg.DiagramHeightPixels, 32766);

  dlg.DisplayLocationButtons->button(1)->click();
  EXPECT_EQ(dlg.DisplayLocation, TDisplayLocation::BottomLeft);

  // Sizes that no longer round-trip through binary fractions keep their pixel.
  TSetupDlg hundred(100);
  hundred.show();
  hundred.DiagramWidth->setText(QStringLiteral("2.55"));
  EXPECT_EQ(hundred.DiagramWidthPixels, 255);
}

TEST(SetupDlg, AnInvalidSizePutsTheLastValidOneBackAtOnceWithoutAMessage)
{
  TSetupDlg dlg(96);
  dlg.DiagramWidthPixels = 1200;
  dlg.show();
  const int labels = dlg.findChildren<QLabel*>().size();
  const auto typeOver = [&](const char* keys) {
    dlg.DiagramWidth->setFocus();
    dlg.DiagramWidth->selectAll();
    QTest::keyClicks(dlg.DiagramWidth, QString::fromLatin1(keys));
  };
  // "4" and "40" are sizes; the third key makes 400 inches, too large.
  typeOver("400");
  EXPECT_EQ(dlg.DiagramWidth->text(), QStringLiteral("40.00"));
  EXPECT_EQ(dlg.DiagramWidthPixels, 3840);
  for (const char* bad : {"12.5x", "-"}) {
    typeOver(bad);
    EXPECT_EQ(dlg.DiagramWidth->text(), QStringLiteral("12.50")) << bad;
    EXPECT_EQ(dlg.DiagramWidthPixels, 1200) << bad;
  }
  EXPECT_EQ(dlg.findChildren<QLabel*>().size(), labels);
  EXPECT_TRUE(dlg.OKBtn->isEnabled());

  // A size still being typed stands until the box is left.
  typeOver("0.");
  EXPECT_EQ(dlg.DiagramWidth->text(), QStringLiteral("0."));
  dlg.DiagramHeight->setFocus();
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(dlg.DiagramWidth, &out);
  EXPECT_EQ(dlg.DiagramWidth->text(), QStringLiteral("12.50"));
}

}  // namespace
}  // namespace veska
