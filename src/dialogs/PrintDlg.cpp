#include "dialogs/PrintDlg.h"

#include "dialogs/DialogButtons.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veska {

namespace {

// Border around the cells and the line between two cells, in pixels.
const int kGridBorder = 2;
const int kGridLine = 1;

// The page grid: the dialog draws it and takes its mouse.
class TPageMarkGrid final : public QWidget {
public:
  explicit TPageMarkGrid(TPrintDlg& dialog) : QWidget(&dialog), FDialog(dialog) {}

protected:
  void paintEvent(QPaintEvent*) override
  {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    const int cw = FDialog.CellWidth();
    const int ch = FDialog.CellHeight();
    const QRect visible = rect();
    // Only the cells inside the widget are visited.
    const int lastColumn = qMin(FDialog.PagesAcross - 1, (visible.right() - kGridBorder) / (cw + kGridLine));
    const int lastRow = qMin(FDialog.PagesDown - 1, (visible.bottom() - kGridBorder) / (ch + kGridLine));
    for (int c = 0; c <= lastColumn; ++c)
      for (int r = 0; r <= lastRow; ++r)
        painter.fillRect(QRect(kGridBorder + c * (cw + kGridLine), kGridBorder + r * (ch + kGridLine), cw, ch),
                         FDialog.IsMarked(c, r) ? Qt::black : Qt::white);
  }
  void mousePressEvent(QMouseEvent* event) override
  {
    if (event->button() == Qt::LeftButton)
      FDialog.StringGrid1MouseDown(event->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* event) override { FDialog.StringGrid1MouseMove(event->position().toPoint()); }
  void mouseReleaseEvent(QMouseEvent* event) override
  {
    if (event->button() == Qt::LeftButton)
      FDialog.StringGrid1MouseUp();
  }

private:
  TPrintDlg& FDialog;
};

}  // namespace

TPrintDlg::TPrintDlg(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("PrintDlg"));
  setWindowTitle(QStringLiteral("Veska - Print Diagram"));

  auto* choice = new QGroupBox(this);
  RadioButtonAll = new QRadioButton(QStringLiteral("All Pages"), choice);
  RadioButtonAll->setObjectName(QStringLiteral("RadioButtonAll"));
  RadioButtonAll->setChecked(true);
  RadioButtonSelected = new QRadioButton(QStringLiteral("Selected Pages"), choice);
  RadioButtonSelected->setObjectName(QStringLiteral("RadioButtonSelected"));
  RadioButtonCurrent = new QRadioButton(QStringLiteral("Current Page"), choice);
  RadioButtonCurrent->setObjectName(QStringLiteral("RadioButtonCurrent"));
  auto* choices = new QVBoxLayout(choice);
  choices->addWidget(RadioButtonAll);
  choices->addWidget(RadioButtonSelected);
  choices->addWidget(RadioButtonCurrent);
  choices->addStretch();

  StringGrid1 = new TPageMarkGrid(*this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));

  auto* top = new QHBoxLayout;
  top->addWidget(choice);
  top->addWidget(StringGrid1, 0, Qt::AlignTop);

  const TDialogButtons buttons = MakeDialogButtons(this, QStringLiteral("print.html"));
  OKBtn = buttons.OK;
  CancelBtn = buttons.Cancel;
  HelpBtn = buttons.Help;
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons.Box);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  FormShow();
}

int TPrintDlg::CellWidth() const
{
  return qMax(1, 140 / qMax(1, PagesAcross) - 1);
}

int TPrintDlg::CellHeight() const
{
  return qMax(1, 140 / qMax(1, PagesDown) - 1);
}

void TPrintDlg::FormShow()
{
  PagesAcross = qMax(1, PagesAcross);
  PagesDown = qMax(1, PagesDown);
  // Computed wide: a grid of very many pages is as large as a widget may be.
  const auto extent = [](qint64 cell, qint64 count) {
    return int(qMin<qint64>((cell + kGridLine) * count + 2 * kGridBorder, QWIDGETSIZE_MAX));
  };
  StringGrid1->setFixedSize(extent(CellWidth(), PagesAcross), extent(CellHeight(), PagesDown));
  for (auto it = FMarks.begin(); it != FMarks.end();) {
    if (it->first >= PagesAcross || it->second >= PagesDown)
      it = FMarks.erase(it);
    else
      ++it;
  }
  MarkingPages = false;
  LastMarkedCell = QPoint(-1, -1);
  StringGrid1->update();
}

void TPrintDlg::showEvent(QShowEvent* event)
{
  FormShow();
  QDialog::showEvent(event);
}

bool TPrintDlg::IsMarked(int column, int row) const
{
  return FMarks.count({column, row}) > 0;
}

QPoint TPrintDlg::CellAt(QPoint pos) const
{
  if (pos.x() < 1 || pos.y() < 1)
    return QPoint(-1, -1);
  // The border belongs to the first cells.
  const int column = qMax(0, pos.x() - kGridBorder) / (CellWidth() + kGridLine);
  const int row = qMax(0, pos.y() - kGridBorder) / (CellHeight() + kGridLine);
  if (column >= PagesAcross || row >= PagesDown)
    return QPoint(-1, -1);
  return QPoint(column, row);
}

void TPrintDlg::ToggleCellAt(QPoint pos)
{
  const QPoint cell = CellAt(pos);
  if (cell.x() < 0 || cell == LastMarkedCell)
    return;
  LastMarkedCell = cell;
  const std::pair<int, int> key{cell.x(), cell.y()};
  if (!FMarks.erase(key))
    FMarks.insert(key);
  StringGrid1->update();
}

void TPrintDlg::StringGrid1MouseDown(QPoint pos)
{
  MarkingPages = true;
  // The cell pressed counts as passed over, so that a click without a move
  // marks it too.
  ToggleCellAt(pos);
}

void TPrintDlg::StringGrid1MouseMove(QPoint pos)
{
  if (MarkingPages)
    ToggleCellAt(pos);
}

void TPrintDlg::StringGrid1MouseUp()
{
  MarkingPages = false;
  LastMarkedCell = QPoint(-1, -1);
  RadioButtonSelected->setChecked(true);
}

bool TPrintDlg::IsPageSelected(int column, int row) const
{
  if (RadioButtonAll->isChecked())
    return true;
  if (RadioButtonSelected->isChecked())
    return IsMarked(column, row);
  return column == CurrentPageColumn && row == CurrentPageRow;
}

QList<QPoint> TPrintDlg::ChosenPages() const
{
  QList<QPoint> pages;
  if (RadioButtonAll->isChecked()) {
    for (int c = 0; c < PagesAcross; ++c)
      for (int r = 0; r < PagesDown; ++r)
        pages << QPoint(c, r);
  } else if (RadioButtonSelected->isChecked()) {
    for (const auto& [c, r] : FMarks)
      pages << QPoint(c, r);
  } else if (CurrentPageColumn >= 0 && CurrentPageColumn < PagesAcross && CurrentPageRow >= 0 &&
             CurrentPageRow < PagesDown) {
    pages << QPoint(CurrentPageColumn, CurrentPageRow);
  }
  return pages;
}

}  // namespace veska
