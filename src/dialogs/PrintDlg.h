#pragma once
// The print dialog: which pages of the diagram to print. The caller sets
// PagesAcross, PagesDown and the current page, shows the dialog modally and,
// on OK, asks IsPageSelected (or ChosenPages) for each page.
//
// The grid shows one cell per page; the user marks pages by pressing the
// mouse over the grid and dragging: every cell the pointer passes over is
// toggled once per drag, and letting go chooses "Selected Pages". The marks
// stay between uses; marks outside a smaller grid are dropped.

#include <QDialog>
#include <QList>
#include <QPoint>

#include <set>
#include <utility>

class QPushButton;
class QRadioButton;

namespace veska {

class TPrintDlg : public QDialog {
  Q_OBJECT
public:
  explicit TPrintDlg(QWidget* parent = nullptr);

  // Inputs: the pages the diagram covers (at least 1 each) and the page
  // shown at present.
  int PagesAcross = 1;
  int PagesDown = 1;
  int CurrentPageColumn = 0;
  int CurrentPageRow = 0;

  QRadioButton* RadioButtonAll = nullptr;
  QRadioButton* RadioButtonSelected = nullptr;
  QRadioButton* RadioButtonCurrent = nullptr;
  QWidget* StringGrid1 = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  // TRUE while the mouse button is held down over the grid.
  bool MarkingPages = false;
  // The cell toggled last during the current drag; (-1, -1) when none.
  QPoint LastMarkedCell{-1, -1};

  // Cell sizes in pixels: 140 div the page count, less the grid line, and
  // never below 1 so that every page keeps a cell the mouse can reach.
  int CellWidth() const;
  int CellHeight() const;

  // Sizes the grid for PagesAcross and PagesDown and drops the marks that
  // lie outside it; runs each time the dialog is shown.
  void FormShow();

  bool IsMarked(int column, int row) const;
  // The cell (column, row) under a point of the grid; (-1, -1) when none.
  QPoint CellAt(QPoint pos) const;
  void StringGrid1MouseDown(QPoint pos);
  void StringGrid1MouseMove(QPoint pos);
  void StringGrid1MouseUp();

  // Whether a page is to be printed under the checked choice.
  bool IsPageSelected(int column, int row) const;
  // The pages to print (x column, y row), column by column and each column
  // from top to bottom, without visiting pages that are not chosen.
  QList<QPoint> ChosenPages() const;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void ToggleCellAt(QPoint pos);

  // Marked cells as (column, row), in print order.
  std::set<std::pair<int, int>> FMarks;
};

}  // namespace veska
