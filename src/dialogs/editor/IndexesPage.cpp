#include "dialogs/editor/IndexesPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "model/EditRules.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace veska {

namespace {

enum { irName = 0, irUnique, irFirstAttribute };

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

}  // namespace

TIndexesPage::TIndexesPage(TObjectEditor& window) : TAttributeGridPage(window, irFirstAttribute)
{
  setObjectName(QStringLiteral("indexesPage"));
  indexTableNameBox = MakeNameBox("indexTableNameBox");
  newIndexButton = Button("newIndexButton", QStringLiteral("&New"));
  indexGrid = new TEditGrid(0);
  indexGrid->setObjectName(QStringLiteral("indexGrid"));
  indexGrid->SetColumns(2);
  indexGrid->SetRows(2);

  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  bar->setSpacing(8);
  bar->addWidget(BuddyLabel(QStringLiteral("&Table Name"), indexTableNameBox));
  bar->addWidget(indexTableNameBox, 1);
  bar->addWidget(newIndexButton);
  layout->addLayout(bar);
  layout->addWidget(indexGrid, 1);
  Connect();
}

void TIndexesPage::Connect()
{
  connect(indexGrid, &TEditGrid::EditorOpened, this, [this](int column, int row, QLineEdit* editor) {
    if (row != irName)
      return;
    editor->setValidator(new TNameValidator([this] { NameRefused(); }, editor));
    if (IndexColumn(column))
      FNameBeforeEdit = Window.CurrentEntity->Indexes.Objects(column - 1)->Name();
  });
  UseGrid(indexGrid);
  connect(indexGrid, &TEditGrid::CellEditEnded, this, &TIndexesPage::CommitNameEnd);
  connect(newIndexButton, &QPushButton::clicked, this, &TIndexesPage::NewIndex);
}

bool TIndexesPage::IndexColumn(int column) const
{
  return Window.CurrentEntity && column >= 1 && column <= Window.CurrentEntity->Indexes.Count();
}

bool TIndexesPage::Fill()
{
  FillTableNames();
  const bool valid = EntityValid();
  const int attributes = valid ? AttributeCount() : 0;
  const int indexes = valid ? Window.CurrentEntity->Indexes.Count() : 0;
  indexGrid->SetColumns(1 + qMax(indexes, 1));
  // The name and uniqueness rows, then one row per attribute: no data row of
  // its own for an entity without attributes.
  indexGrid->SetRows(irFirstAttribute + attributes);
  indexGrid->SetText(0, irName, QStringLiteral("Attribute"));
  indexGrid->SetText(0, irUnique, attributes > 0 ? QStringLiteral("Unique") : QString());
  if (indexes == 0)
    for (int r = 0; r < indexGrid->Rows(); ++r)
      indexGrid->SetText(1, r, QString());
  if (!valid) {
    indexGrid->FitRowLabels();
    return false;
  }
  for (int i = 0; i < attributes; ++i) {
    const TAttribute& a = *RowAttribute(i).Attribute;
    indexGrid->SetText(0, irFirstAttribute + i, a.Name);
    MarkCarriedIn(irFirstAttribute + i, a);
  }
  indexGrid->FitRowLabels();
  for (int j = 0; j < indexes; ++j)
    FillIndex(j + 1, *Window.CurrentEntity->Indexes.Objects(j), attributes);
  return true;
}

void TIndexesPage::FillIndex(int column, const TIndex& index, int attributes)
{
  indexGrid->SetText(column, irName, index.Name());
  indexGrid->SetText(column, irUnique, index.Unique ? kYes : kNo);
  for (int i = 0; i < attributes; ++i) {
    const int at = index.Columns.IndexOfObject(RowAttribute(i).Attribute);
    indexGrid->SetText(column, irFirstAttribute + i, at >= 0 ? QString::number(at + 1) : QString());
  }
}

void TIndexesPage::Rename(const QString& typed)
{
  RenameTable(typed);
}

void TIndexesPage::EditCell(int column, int row, const QString& text)
{
  if (!IndexColumn(column))
    return;
  TEntity& e = *Window.CurrentEntity;
  const int indexPos = column - 1;
  TIndex& index = *e.Indexes.Objects(indexPos);
  if (row == irName) {
    // A colliding name is refused when the edit ends (CommitNameEnd).
    if (!text.isEmpty() && IndexNameRefusal(e, indexPos, text).isEmpty())
      e.RenameIndex(indexPos, text);
    return;
  }
  TAttribute* a = RowAttribute(row - irFirstAttribute).Attribute;
  if (row == irUnique) {
    if (text.isEmpty())
      return;
    index.Unique = text.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive);
  } else if (!a) {
    return;
  } else if (!text.isEmpty()) {
    SetPosition(index, a, text);
  } else if (index.Columns.IsEmpty()) {
    e.DeleteIndex(indexPos);
  } else if (const int at = index.Columns.IndexOfObject(a); at >= 0) {
    index.Columns.Delete(at);
  }
  ReloadWindow();
}

void TIndexesPage::SetPosition(TIndex& index, TAttribute* a, const QString& text)
{
  bool ok = false;
  const int p = text.trimmed().toInt(&ok);
  if (!ok || p <= 0)
    return;
  const int at = index.Columns.IndexOfObject(a);
  if (at < 0) {
    index.Columns.Add(QStringLiteral("A"), a);
    if (p < index.Columns.Count())
      index.Columns.Move(index.Columns.Count() - 1, p - 1);
  } else if (p <= index.Columns.Count()) {
    index.Columns.Move(at, p - 1);
  }
}

void TIndexesPage::CommitNameEnd(int column, int row, const QString& text)
{
  // Index names are taken at every keystroke that gives an acceptable name,
  // so a name that collides only on the way to another one (Ix1_0 on the way
  // to Ix1_0b) passes quietly. A name that still collides when the edit ends
  // is refused with a message; the index gets back the name it had before
  // the edit, and the cell shows it.
  if (row != irName || text.isEmpty())
    return;
  CommitEdit([&] {
    if (!IndexColumn(column))
      return;
    TEntity& e = *Window.CurrentEntity;
    const QString refusal = IndexNameRefusal(e, column - 1, text);
    if (refusal.isEmpty())
      return;
    ShowLater(refusal);
    if (!FNameBeforeEdit.isEmpty())
      e.RenameIndex(column - 1, FNameBeforeEdit);
    indexGrid->SetText(column, row, e.Indexes.Objects(column - 1)->Name());
  });
}

void TIndexesPage::ToggleCell(int column, int row)
{
  if (!IndexColumn(column) || row < irUnique)
    return;
  TEntity& e = *Window.CurrentEntity;
  TIndex& index = *e.Indexes.Objects(column - 1);
  if (row == irUnique) {
    index.Unique = !index.Unique;
    ReloadWindow();
  } else if (TAttribute* a = RowAttribute(row - irFirstAttribute).Attribute) {
    const int at = index.Columns.IndexOfObject(a);
    if (at >= 0) {
      index.Columns.Delete(at);
      if (index.Columns.IsEmpty())
        e.DeleteIndex(column - 1);
      ReloadWindow();
    } else {
      index.Columns.Add(QStringLiteral("A"), a);
      indexGrid->SetText(column, row, QString::number(index.Columns.Count()));
    }
  }
}

void TIndexesPage::NewIndex()
{
  if (EntityValid() && AttributeCount() > 0) {
    Window.CurrentEntity->AddIndex(std::make_unique<TIndex>());
    ReloadWindow();
  }
  indexGrid->setFocus();
}

}  // namespace veska
