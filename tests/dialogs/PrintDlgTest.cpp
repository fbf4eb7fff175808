#include "dialogs/PrintDlg.h"
#include "surface/SurfaceFixture.h"
#include "support/RecordingPrinter.h"
#include "surface/Printing.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace veska {
namespace {

class PrintDlgTest : public ::testing::Test {
protected:
  TPrintDlg Dlg;

  void Show(int across, int down)
  {
    Dlg.PagesAcross = across;
    Dlg.PagesDown = down;
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
  }
  QPoint CellCentre(int column, int row) const
  {
    return QPoint(2 + column * (Dlg.CellWidth() + 1) + Dlg.CellWidth() / 2,
                  2 + row * (Dlg.CellHeight() + 1) + Dlg.CellHeight() / 2);
  }
  // Presses over the first cell, moves over the others and lets go over the
  // last, as the user's mouse does.
  void Drag(const QList<QPoint>& cells)
  {
    QTest::mousePress(Dlg.StringGrid1, Qt::LeftButton, {}, CellCentre(cells.first().x(), cells.first().y()));
    for (const QPoint cell : cells.mid(1)) {
      // Two moves inside each cell: the second must not toggle it back.
      QTest::mouseMove(Dlg.StringGrid1, CellCentre(cell.x(), cell.y()) - QPoint(1, 1));
      QTest::mouseMove(Dlg.StringGrid1, CellCentre(cell.x(), cell.y()));
    }
    QTest::mouseRelease(Dlg.StringGrid1, Qt::LeftButton, {}, CellCentre(cells.last().x(), cells.last().y()));
  }
  QList<QPoint> Marked() const
  {
    QList<QPoint> cells;
    for (int c = 0; c < Dlg.PagesAcross; ++c)
      for (int r = 0; r < Dlg.PagesDown; ++r)
        if (Dlg.IsMarked(c, r))
          cells << QPoint(c, r);
    return cells;
  }
};

TEST_F(PrintDlgTest, GridCellsShareOneHundredFortyPixelsAndKeepAtLeastOnePixel)
{
  EXPECT_EQ(Dlg.windowTitle(), QStringLiteral("Veska - Print Diagram"));
  EXPECT_TRUE(Dlg.RadioButtonAll->isChecked());
  EXPECT_FALSE(Dlg.HelpBtn->isVisible());
  Show(3, 2);
  EXPECT_EQ(Dlg.CellWidth(), 45);
  EXPECT_EQ(Dlg.CellHeight(), 69);
  EXPECT_EQ(Dlg.StringGrid1->size(), QSize(142, 144));
  Dlg.hide();
  // 140 div 200 - 1 would leave no cell to mark.
  Show(200, 1);
  EXPECT_EQ(Dlg.CellWidth(), 1);
  EXPECT_EQ(Dlg.StringGrid1->size(), QSize(404, 144));
}

TEST_F(PrintDlgTest, DraggingOverCellsTogglesEachOnceAndChoosesSelectedPages)
{
  Show(3, 2);
  Drag({QPoint(0, 0), QPoint(1, 0), QPoint(2, 0)});
  EXPECT_EQ(Marked(), (QList<QPoint>{QPoint(0, 0), QPoint(1, 0), QPoint(2, 0)}));
  EXPECT_TRUE(Dlg.RadioButtonSelected->isChecked());
  EXPECT_FALSE(Dlg.MarkingPages);
  EXPECT_EQ(Dlg.LastMarkedCell, QPoint(-1, -1));
  EXPECT_TRUE(Dlg.IsPageSelected(1, 0));
  EXPECT_FALSE(Dlg.IsPageSelected(1, 1));

  // The marked cells are drawn black, the others white.
  const QImage grid = Dlg.StringGrid1->grab().toImage();
  EXPECT_EQ(QColor(grid.pixel(CellCentre(1, 0))), QColor(Qt::black));
  EXPECT_EQ(QColor(grid.pixel(CellCentre(1, 1))), QColor(Qt::white));

  // A second drag over the same cells takes the marks off again; one that
  // ends in a cell marks that one.
  Drag({QPoint(2, 0), QPoint(1, 0), QPoint(0, 0), QPoint(0, 1)});
  EXPECT_EQ(Marked(), (QList<QPoint>{QPoint(0, 1)}));

  // Moving without the button held marks nothing.
  QTest::mouseMove(Dlg.StringGrid1, CellCentre(2, 1));
  EXPECT_EQ(Marked(), (QList<QPoint>{QPoint(0, 1)}));
}

TEST_F(PrintDlgTest, MarksStayBetweenUsesButNotOutsideASmallerGrid)
{
  Show(3, 2);
  Drag({QPoint(0, 0)});
  Drag({QPoint(2, 1)});
  Dlg.hide();
  Show(2, 2);
  EXPECT_EQ(Marked(), (QList<QPoint>{QPoint(0, 0)}));
  Dlg.hide();
  Show(3, 2);
  EXPECT_EQ(Marked(), (QList<QPoint>{QPoint(0, 0)}));
  EXPECT_TRUE(Dlg.RadioButtonSelected->isChecked());
}

// The Print command prints the chosen pages, each as its own job, column by
// column.
class PrintChoiceTest : public test::SurfaceTest {
protected:
  TPrintDlg Dlg;
  test::TRecordingPrinter Printer{TPageDevice{QSize(700, 1000), 96}};

  QList<QPoint> PrintedPages(QRadioButton* choice)
  {
    S.Width = 1500;  // 3 pages across
    S.Height = 1500;  // 2 down
    Dlg.PagesAcross = PagesAcross(S, Printer.Device());
    Dlg.PagesDown = PagesDown(S, Printer.Device());
    const QPoint current = CurrentPage(S, Printer.Device(), QPoint(750, 1200));
    Dlg.CurrentPageColumn = current.x();
    Dlg.CurrentPageRow = current.y();
    Dlg.FormShow();
    choice->setChecked(true);
    Printer.Jobs.clear();
    const QList<QPoint> pages = Dlg.ChosenPages();
    PrintPages(S, Printer, pages);
    for (const auto& job : Printer.Jobs)
      EXPECT_EQ(job.Title, QStringLiteral("VESKA - ") + S.DiagramName);
    EXPECT_EQ(Printer.Jobs.size(), size_t(pages.size()));
    for (const QPoint page : pages)
      EXPECT_EQ(Dlg.IsPageSelected(page.x(), page.y()), true);
    return pages;
  }
};

TEST_F(PrintChoiceTest, AllSelectedAndCurrentPagesPrintOneJobPerChosenPage)
{
  S.DiagramName = QStringLiteral("Orders");
  EXPECT_EQ(PrintedPages(Dlg.RadioButtonAll), (QList<QPoint>{QPoint(0, 0), QPoint(0, 1), QPoint(1, 0), QPoint(1, 1),
                                                             QPoint(2, 0), QPoint(2, 1)}));
  EXPECT_EQ(PrintedPages(Dlg.RadioButtonCurrent), (QList<QPoint>{QPoint(1, 1)}));
  EXPECT_FALSE(Dlg.IsPageSelected(1, 0));

  Dlg.show();
  // Marked in another order than printed.
  for (const QPoint cell : {QPoint(2, 0), QPoint(0, 1), QPoint(1, 0)}) {
    const QPoint at(2 + cell.x() * (Dlg.CellWidth() + 1) + 5, 2 + cell.y() * (Dlg.CellHeight() + 1) + 5);
    QTest::mousePress(Dlg.StringGrid1, Qt::LeftButton, {}, at);
    QTest::mouseRelease(Dlg.StringGrid1, Qt::LeftButton, {}, at);
  }
  EXPECT_EQ(PrintedPages(Dlg.RadioButtonSelected), (QList<QPoint>{QPoint(0, 1), QPoint(1, 0), QPoint(2, 0)}));
  EXPECT_FALSE(Dlg.IsPageSelected(0, 0));
}

}  // namespace
}  // namespace veska
