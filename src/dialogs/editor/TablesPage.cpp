#include "dialogs/editor/TablesPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QVBoxLayout>

namespace veska {

namespace {

enum { tcColumnName = 1, tcType, tcWidth, tcAllowNulls, tcDefault, tcRule, tcCount };

// Texts stored on a line of their own in the diagram file.
constexpr int kMaxLineText = 253;

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

}  // namespace

TTablesPage::TTablesPage(TObjectEditor& window) : TAttributeGridPage(window, 1)
{
  setObjectName(QStringLiteral("tablesPage"));
  tableNameBox = MakeNameBox("tableNameBox");
  tableGrid = new TEditGrid(1);
  tableGrid->setObjectName(QStringLiteral("tableGrid"));
  tableGrid->SetColumns(tcCount);
  tableGrid->SetRows(2);
  const QStringList headings = {QStringLiteral("Attribute"),   QStringLiteral("Column Name"),
                                QStringLiteral("Type"),        QStringLiteral("Width"),
                                QStringLiteral("Allow Nulls"), QStringLiteral("Default"),
                                QStringLiteral("Validation Rule")};
  const int widths[] = {72, 126, 70, 44, 72, 72, 126};
  for (int c = 0; c < tcCount; ++c) {
    tableGrid->SetText(c, 0, headings[c]);
    tableGrid->SetColumnWidth(c, widths[c]);
  }
  tableGrid->SetChoiceColumn(tcType);
  columnTypePicker = new TCellPicker(*tableGrid, "columnTypePicker");

  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  bar->addWidget(BuddyLabel(QStringLiteral("&Table Name"), tableNameBox));
  bar->addWidget(tableNameBox, 1);
  layout->addLayout(bar);
  layout->addWidget(tableGrid, 1);

  connect(tableGrid, &TEditGrid::EditorOpened, this, [](int column, int, QLineEdit* editor) {
    if (column == tcDefault || column == tcRule)
      editor->setMaxLength(kMaxLineText);
  });
  UseGrid(tableGrid);
  UsePicker(columnTypePicker);
}

void TTablesPage::SetDataTypeNames(const QStringList& names)
{
  FDataTypeNames = names;
  if (!FDataTypeNames.contains(QStringLiteral("Default"), Qt::CaseInsensitive))
    FDataTypeNames << QStringLiteral("Default");
}

bool TTablesPage::Fill()
{
  FillTableNames();
  FillTypes();
  const bool valid = EntityValid();
  SizeRows(valid ? AttributeCount() : 0);
  if (valid) {
    for (int i = 0; i < AttributeCount(); ++i)
      FillRow(i + FirstRow, RowAttribute(i));
    const QPoint cell = tableGrid->CurrentCell();
    columnTypePicker->setCurrentIndex(
        columnTypePicker->findText(tableGrid->Text(cell.x(), cell.y()), Qt::MatchFixedString));
  }
  tableGrid->FitRowLabels();
  columnTypePicker->hide();
  return valid;
}

void TTablesPage::FillTypes()
{
  QStringList types = FDataTypeNames;
  QSet<QString> known;
  for (const QString& t : std::as_const(types))
    known.insert(t.toCaseFolded());
  if (Surface())
    for (const TDomain* d : Surface()->Domains)
      if (!known.contains(d->Name.toCaseFolded())) {
        known.insert(d->Name.toCaseFolded());
        types << d->Name;
      }
  const QSignalBlocker block(columnTypePicker);
  columnTypePicker->clear();
  columnTypePicker->addItems(types);
}

void TTablesPage::FillRow(int row, const TRowAttribute& at)
{
  const TAttribute& a = *at.Attribute;
  tableGrid->SetText(0, row, a.Name);
  tableGrid->SetText(tcColumnName, row, a.ColumnName());
  tableGrid->SetText(tcType, row, a.DataType);
  tableGrid->SetText(tcWidth, row, a.Width);
  tableGrid->SetText(tcAllowNulls, row, !at.Key && a.AllowNulls ? kYes : kNo);
  tableGrid->SetText(tcDefault, row, a.DefaultValue());
  tableGrid->SetText(tcRule, row, a.Rule());
  MarkCarriedIn(row, a, {tcType, tcWidth});
}

void TTablesPage::Rename(const QString& typed)
{
  RenameTable(typed);
}

void TTablesPage::EditCell(int column, int row, const QString& text)
{
  const TRowAttribute at = RowAttribute(row - FirstRow);
  if (!at.Attribute)
    return;
  TAttribute& a = *at.Attribute;
  TEntity& e = *Window.CurrentEntity;
  switch (column) {
  case tcColumnName: a.SetColumnName(text); break;
  case tcType:
    if (a.ForeignKey)
      tableGrid->SetText(column, row, a.DataType);
    else
      e.ChangeAttributeDataType(at.Key, at.Position, text);
    break;
  case tcWidth:
    if (a.ForeignKey)
      tableGrid->SetText(column, row, a.Width);
    else
      e.ChangeAttributeWidth(at.Key, at.Position, text);
    break;
  case tcAllowNulls:
    if (at.Key) {
      tableGrid->SetText(column, row, kNo);
    } else if (!text.isEmpty()) {
      a.AllowNulls = text.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive);
      tableGrid->SetText(column, row, a.AllowNulls ? kYes : kNo);
    }
    break;
  case tcDefault: a.SetDefaultValue(text); break;
  case tcRule: a.SetRule(text); break;
  default: break;
  }
  RepaintEntity();
}

void TTablesPage::ToggleCell(int column, int row)
{
  const TRowAttribute at = RowAttribute(row - FirstRow);
  if (column != tcAllowNulls || !at.Attribute || at.Key)
    return;
  at.Attribute->AllowNulls = !at.Attribute->AllowNulls;
  tableGrid->SetText(column, row, at.Attribute->AllowNulls ? kYes : kNo);
  RepaintEntity();
}

void TTablesPage::ApplyChoice(const TRowAttribute& row, QPoint cell, const QString& text)
{
  if (row.Attribute->ForeignKey) {
    tableGrid->SetText(cell.x(), cell.y(), row.Attribute->DataType);
    return;
  }
  Window.CurrentEntity->ChangeAttributeDataType(row.Key, row.Position, text);
  RepaintEntity();
}

}  // namespace veska
