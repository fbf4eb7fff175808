#include "dialogs/editor/AttributeGridPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"

#include <QLineEdit>

namespace veska {

TAttributeGridPage::TAttributeGridPage(TObjectEditor& window, int firstRow) : TEditorPage(window), FirstRow(firstRow)
{
}

void TAttributeGridPage::UseGrid(TEditGrid* grid)
{
  FGrid = grid;
  connect(grid, &TEditGrid::CellTextEdited, this, [this](int column, int row, const QString& text) {
    CommitEdit([&] {
      if (Window.CurrentEntity)
        EditCell(column, row, text);
    });
  });
  connect(grid, &TEditGrid::CellDblClicked, this, [this](int column, int row) {
    CommitEdit([&] {
      if (EntityValid())
        ToggleCell(column, row);
    });
  });
  connect(grid, &TEditGrid::RowMoved, this, &TAttributeGridPage::MoveAttributeRow);
}

void TAttributeGridPage::UsePicker(TCellPicker* picker)
{
  FPicker = picker;
  connect(picker, &TCellPicker::Left, this, &TAttributeGridPage::CommitChoice);
}

void TAttributeGridPage::ToggleCell(int, int) {}

void TAttributeGridPage::ApplyChoice(const TRowAttribute&, QPoint, const QString&) {}

void TAttributeGridPage::EndEdit(QWidget* focus)
{
  if (focus == NameBox() || focus == NameBox()->lineEdit())
    TEditorPage::EndEdit(focus);
  else if (FPicker && focus == FPicker)
    CommitChoice();
  else if (focus == FGrid || FGrid->isAncestorOf(focus))
    NameBox()->setFocus();
}

void TAttributeGridPage::CommitChoice()
{
  if (!FPicker)
    return;
  Commit([this] {
    QString text;
    if (!FPicker->TakeChoice(text) || !EditsEnabled() || !Window.CurrentEntity)
      return;
    const QPoint cell = FPicker->Cell();
    if (const TRowAttribute row = RowAttribute(cell.y() - FirstRow); row.Attribute)
      ApplyChoice(row, cell, text);
  });
}

void TAttributeGridPage::Pick(const QString&)
{
  PickListedEntity();
}

void TAttributeGridPage::FillTableNames()
{
  FillEntityBox([](const TEntity& e) { return e.TableName(); });
}

void TAttributeGridPage::RenameTable(const QString& typed)
{
  if (!EntityValid())
    return;
  Window.CurrentEntity->SetTableName(typed);
  FillTableNames();
}

int TAttributeGridPage::KeyCount() const
{
  return Window.CurrentEntity ? Window.CurrentEntity->PrimaryKey.Count() : 0;
}

int TAttributeGridPage::AttributeCount() const
{
  const TEntity* e = Window.CurrentEntity;
  return e ? e->PrimaryKey.Count() + e->Attributes.Count() : 0;
}

TAttributeGridPage::TRowAttribute TAttributeGridPage::RowAttribute(int attributeRow) const
{
  TRowAttribute row;
  if (!Window.CurrentEntity || attributeRow < 0 || attributeRow >= AttributeCount())
    return row;
  const int k = KeyCount();
  row.Key = attributeRow < k;
  row.Position = row.Key ? attributeRow : attributeRow - k;
  row.Attribute = (row.Key ? Window.CurrentEntity->PrimaryKey : Window.CurrentEntity->Attributes).Objects(row.Position);
  return row;
}

void TAttributeGridPage::SizeRows(int attributes)
{
  FGrid->SetRows(FirstRow + qMax(attributes, 1));
  if (attributes == 0)
    for (int c = 0; c < FGrid->Columns(); ++c) {
      FGrid->SetText(c, FirstRow, QString());
      FGrid->SetMarked(c, FirstRow, QString());
    }
}

void TAttributeGridPage::MarkCarriedIn(int row, const TAttribute& a, std::initializer_list<int> cells)
{
  const QString note = a.ForeignKey ? QStringLiteral("Carried in by a relation from its parent entity") : QString();
  FGrid->SetMarked(0, row, note);
  for (int column : cells)
    FGrid->SetMarked(column, row, note);
}

void TAttributeGridPage::MoveAttributeRow(int from, int to)
{
  CommitEdit([this, from, to] {
    TEntity* e = Window.CurrentEntity;
    if (!e)
      return;
    const int k = KeyCount();
    const int n = AttributeCount();
    const int f = from - FirstRow;
    const int t = to - FirstRow;
    const auto inKey = [k](int i) { return i >= 0 && i < k; };
    const auto inOther = [k, n](int i) { return i >= k && i < n; };
    if (inKey(f) && inKey(t))
      e->PrimaryKey.Move(f, t);
    else if (inOther(f) && inOther(t))
      e->Attributes.Move(f - k, t - k);
    e->NeedsLayout = true;
    e->Repaint();
    // The grid shows the model's order again: the moved row where it went, a
    // move across the key boundary undone.
    ReloadWindow();
  });
}

}  // namespace veska
