// The grid pages of the objects editor: "Tables", "Forms" and "Indexes".
// Cells are addressed as the user counts them (TEditGrid): column 0 holds
// the attribute names; on "Tables" and "Forms" row 0 holds the headings and
// attribute rows start at 1, on "Indexes" rows 0 and 1 hold each index's name
// and uniqueness and attribute rows start at 2. Key attributes come first.

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "model/EditRules.h"
#include "surface/DrawingSurface.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace veska {

namespace {

// "Tables" columns.
enum { tcColumnName = 1, tcType, tcWidth, tcAllowNulls, tcDefault, tcRule, tcCount };
// "Forms" columns.
enum { fcDisplayType = 1, fcTop, fcLeft, fcWidth, fcCount };

constexpr int kFirstIndexRow = 2;
// Texts stored on a line of their own in the diagram file.
constexpr int kMaxLineText = 253;

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

int IntegerOrZero(const QString& text)
{
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? value : 0;
}

QLineEdit* NumberField(const char* name)
{
  auto* field = new QLineEdit;
  field->setObjectName(QLatin1String(name));
  field->setMaximumWidth(60);
  return field;
}

// A display type is shown as the entry after it in the list of names
// ("None" comes first); "None" and unknown texts read as Default.
QString DisplayTypeText(const QStringList& names, TDisplayType type)
{
  return names.value(int(type) + 1);
}

TDisplayType DisplayTypeOf(const QStringList& names, const QString& text)
{
  for (int k = 2; k < names.size() && k <= kDisplayTypeCount; ++k)
    if (names[k].compare(text, Qt::CaseInsensitive) == 0)
      return TDisplayType(k - 1);
  return TDisplayType::Default;
}

}  // namespace

struct TObjectEditor::TRowAttribute {
  bool Key = false;
  int Position = -1;
  TAttribute* Attribute = nullptr;
};

int TObjectEditor::KeyCount() const
{
  return CurrentEntity ? CurrentEntity->PrimaryKey.Count() : 0;
}

int TObjectEditor::AttributeCount() const
{
  return CurrentEntity ? CurrentEntity->PrimaryKey.Count() + CurrentEntity->Attributes.Count() : 0;
}

TObjectEditor::TRowAttribute TObjectEditor::RowAttribute(int attributeRow) const
{
  TRowAttribute row;
  if (!CurrentEntity || attributeRow < 0 || attributeRow >= AttributeCount())
    return row;
  const int k = KeyCount();
  row.Key = attributeRow < k;
  row.Position = row.Key ? attributeRow : attributeRow - k;
  row.Attribute = (row.Key ? CurrentEntity->PrimaryKey : CurrentEntity->Attributes).Objects(row.Position);
  return row;
}

// ---- Building -----------------------------------------------------------------------

namespace {

QComboBox* Picker(const char* name, QWidget* grid, QObject* filter)
{
  auto* picker = new QComboBox(grid);
  picker->setObjectName(QLatin1String(name));
  picker->setMaxVisibleItems(16);
  picker->hide();
  picker->installEventFilter(filter);
  return picker;
}

}  // namespace

QWidget* TObjectEditor::BuildTablesPage()
{
  auto* page = new QWidget;
  QComboBox* names = NewNameBox(3);
  StringGrid1 = new TEditGrid(1);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->SetColumns(tcCount);
  StringGrid1->SetRows(2);
  const QStringList headings = {QStringLiteral("Attribute"), QStringLiteral("Column Name"),
                                QStringLiteral("Type"),      QStringLiteral("Width"),
                                QStringLiteral("Allow Nulls"), QStringLiteral("Default"),
                                QStringLiteral("Validation Rule")};
  const int widths[] = {72, 126, 70, 44, 72, 72, 126};
  for (int c = 0; c < tcCount; ++c) {
    StringGrid1->SetText(c, 0, headings[c]);
    StringGrid1->SetColumnWidth(c, widths[c]);
  }
  ColumnTypeCombo = Picker("ColumnTypeCombo", StringGrid1, this);

  auto* layout = new QVBoxLayout(page);
  auto* bar = new QHBoxLayout;
  bar->addWidget(BuddyLabel(QStringLiteral("&Table Name"), names));
  bar->addWidget(names, 1);
  layout->addLayout(bar);
  layout->addWidget(StringGrid1, 1);

  StringGrid1->SetChoiceColumn(tcType);
  connect(StringGrid1, &TEditGrid::EditorOpened, this, [](int column, int, QLineEdit* editor) {
    if (column == tcDefault || column == tcRule)
      editor->setMaxLength(kMaxLineText);
  });
  connect(StringGrid1, &TEditGrid::CellTextEdited, this,
          [this](int column, int row, const QString& text) { CommitCell(StringGrid1, column, row, text); });
  connect(StringGrid1, &TEditGrid::CellEditEnded, this,
          [this](int column, int row, const QString& text) { CommitCellEnd(StringGrid1, column, row, text); });
  connect(StringGrid1, &TEditGrid::CellChosen, this, &TObjectEditor::StringGrid1Click);
  connect(StringGrid1, &TEditGrid::CellDblClicked, this, [this] { StringGrid1DblClick(); });
  connect(StringGrid1, &TEditGrid::RowMoved, this, &TObjectEditor::StringGrid1RowMoved);
  connect(StringGrid1, &TEditGrid::ChoiceAsked, this,
          [this](int column, int row) { OpenPicker(StringGrid1, ColumnTypeCombo, column, row); });
  connect(StringGrid1, &TEditGrid::FocusEntered, this, [this] { ClosePicker(StringGrid1, ColumnTypeCombo); });
  return page;
}

QWidget* TObjectEditor::BuildFormsPage()
{
  auto* page = new QWidget;
  QComboBox* names = NewNameBox(8, false);
  ResetFormButton = new QPushButton(QStringLiteral("&Reset"));
  ResetFormButton->setObjectName(QStringLiteral("ResetFormButton"));
  ResetFormButton->setAutoDefault(false);
  StringGrid2 = new TEditGrid(1);
  StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
  StringGrid2->SetColumns(fcCount);
  StringGrid2->SetRows(2);
  const QStringList headings = {QStringLiteral("Attribute"), QStringLiteral("Display Type"), QStringLiteral("Top"),
                                QStringLiteral("Left"), QStringLiteral("Width")};
  const int widths[] = {72, 71, 43, 41, 40};
  for (int c = 0; c < fcCount; ++c) {
    StringGrid2->SetText(c, 0, headings[c]);
    StringGrid2->SetColumnWidth(c, widths[c]);
  }
  DisplayTypeCombo = Picker("DisplayTypeCombo", StringGrid2, this);
  DisplayTypeCombo->addItems({QStringLiteral("Default"), QStringLiteral("Edit"), QStringLiteral("Lookup"),
                              QStringLiteral("ListBox"), QStringLiteral("CheckBox"), QStringLiteral("Text")});

  FormStyleCombo = new QComboBox;
  FormStyleCombo->setObjectName(QStringLiteral("FormStyleCombo"));
  FormStyleCombo->addItems({QStringLiteral("Grid"), QStringLiteral("Horizontal"), QStringLiteral("Vertical")});
  MenuGroupCombo = new QComboBox;
  MenuGroupCombo->setObjectName(QStringLiteral("MenuGroupCombo"));
  MenuGroupCombo->setEditable(true);
  MenuGroupCombo->setInsertPolicy(QComboBox::NoInsert);
  MenuGroupCombo->setCompleter(nullptr);
  FormWidth = NumberField("FormWidth");
  FormHeight = NumberField("FormHeight");
  FieldSpacing = NumberField("FieldSpacing");
  LineSpacing = NumberField("LineSpacing");

  auto* fields = new QFormLayout;
  fields->addRow(BuddyLabel(QStringLiteral("&Style"), FormStyleCombo), FormStyleCombo);
  fields->addRow(BuddyLabel(QStringLiteral("&Menu Group"), MenuGroupCombo), MenuGroupCombo);
  auto* size = new QHBoxLayout;
  size->addWidget(FormWidth);
  size->addWidget(FormHeight);
  fields->addRow(BuddyLabel(QStringLiteral("Form Si&ze (W,H)"), FormWidth), size);
  auto* spacing = new QHBoxLayout;
  spacing->addWidget(FieldSpacing);
  spacing->addWidget(LineSpacing);
  fields->addRow(BuddyLabel(QStringLiteral("S&pacing (H, V)"), FieldSpacing), spacing);

  auto* layout = new QVBoxLayout(page);
  auto* bar = new QHBoxLayout;
  bar->setSpacing(8);
  bar->addWidget(BuddyLabel(QStringLiteral("&Form Name"), names));
  bar->addWidget(names, 1);
  bar->addWidget(ResetFormButton);
  layout->addLayout(bar);
  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addStretch();
  body->addLayout(left);
  body->addWidget(StringGrid2, 1);
  layout->addLayout(body, 1);

  StringGrid2->SetChoiceColumn(fcDisplayType);
  connect(StringGrid2, &TEditGrid::CellTextEdited, this,
          [this](int column, int row, const QString& text) { CommitCell(StringGrid2, column, row, text); });
  connect(StringGrid2, &TEditGrid::CellEditEnded, this,
          [this](int column, int row, const QString& text) { CommitCellEnd(StringGrid2, column, row, text); });
  connect(StringGrid2, &TEditGrid::CellChosen, this, &TObjectEditor::StringGrid2Click);
  connect(StringGrid2, &TEditGrid::RowMoved, this, &TObjectEditor::StringGrid2RowMoved);
  connect(StringGrid2, &TEditGrid::ChoiceAsked, this,
          [this](int column, int row) { OpenPicker(StringGrid2, DisplayTypeCombo, column, row); });
  connect(StringGrid2, &TEditGrid::FocusEntered, this, [this] { ClosePicker(StringGrid2, DisplayTypeCombo); });
  connect(ResetFormButton, &QPushButton::clicked, this, [this] { ResetFormButtonClick(); });
  OnEdit(FormStyleCombo, &QComboBox::activated, [this] {
    if (CurrentEntity)
      CurrentEntity->FormStyle = TFormStyleType(qMax(FormStyleCombo->currentIndex(), 0));
  });
  OnEdit(MenuGroupCombo, &QComboBox::editTextChanged, [this] {
    if (CurrentEntity)
      CurrentEntity->MenuGroup = MenuGroupCombo->currentText();
  });
  const std::pair<QLineEdit*, int TEntity::*> numbers[] = {{FormWidth, &TEntity::FormWidth},
                                                           {FormHeight, &TEntity::FormHeight},
                                                           {FieldSpacing, &TEntity::FieldSpacing},
                                                           {LineSpacing, &TEntity::LineSpacing}};
  for (const auto& [field, member] : numbers)
    OnEdit(field, &QLineEdit::textChanged, [this, field = field, member = member] {
      if (CurrentEntity)
        CurrentEntity->*member = IntegerOrZero(field->text());
    });
  TabChain({names, ResetFormButton, FormStyleCombo, MenuGroupCombo, FormWidth, FormHeight, FieldSpacing,
               LineSpacing, StringGrid2});
  return page;
}

QWidget* TObjectEditor::BuildIndexesPage()
{
  auto* page = new QWidget;
  QComboBox* names = NewNameBox(9);
  NewIndexButton = new QPushButton(QStringLiteral("&New"));
  NewIndexButton->setObjectName(QStringLiteral("NewIndexButton"));
  NewIndexButton->setAutoDefault(false);
  StringGrid3 = new TEditGrid(0);
  StringGrid3->setObjectName(QStringLiteral("StringGrid3"));
  StringGrid3->SetColumns(2);
  StringGrid3->SetRows(2);

  auto* layout = new QVBoxLayout(page);
  auto* bar = new QHBoxLayout;
  bar->setSpacing(8);
  bar->addWidget(BuddyLabel(QStringLiteral("&Table Name"), names));
  bar->addWidget(names, 1);
  bar->addWidget(NewIndexButton);
  layout->addLayout(bar);
  layout->addWidget(StringGrid3, 1);

  connect(StringGrid3, &TEditGrid::EditorOpened, this, [this](int column, int row, QLineEdit* editor) {
    if (row != 0)
      return;
    editor->setValidator(new TNameValidator([this] { NameRefused(); }, editor));
    // The name to go back to when the edit ends on a refused name.
    if (CurrentEntity && column >= 1 && column <= CurrentEntity->Indexes.Count())
      FIndexNameBeforeEdit = CurrentEntity->Indexes.Objects(column - 1)->Name();
  });
  connect(StringGrid3, &TEditGrid::CellTextEdited, this,
          [this](int column, int row, const QString& text) { CommitCell(StringGrid3, column, row, text); });
  connect(StringGrid3, &TEditGrid::CellEditEnded, this,
          [this](int column, int row, const QString& text) { CommitCellEnd(StringGrid3, column, row, text); });
  connect(StringGrid3, &TEditGrid::CellDblClicked, this, [this] { StringGrid3DblClick(); });
  connect(StringGrid3, &TEditGrid::RowMoved, this, &TObjectEditor::StringGrid3RowMoved);
  connect(NewIndexButton, &QPushButton::clicked, this, [this] { NewIndexButtonClick(); });
  return page;
}

// ---- Loading ------------------------------------------------------------------------

namespace {

// Sets the row count to one row per attribute (at least one) after the
// grid's own first rows, and empties the single data row when there are no
// attributes.
void SizeRows(TEditGrid* grid, int firstRow, int attributes)
{
  grid->SetRows(firstRow + qMax(attributes, 1));
  if (attributes == 0)
    for (int c = 0; c < grid->Columns(); ++c) {
      grid->SetText(c, firstRow, QString());
      grid->SetMarked(c, firstRow, QString());
    }
}

}  // namespace

void TObjectEditor::LoadTables()
{
  FillEntityBox(ComboBox3, [](const TEntity& e) { return e.TableName(); });
  {
    QStringList types = DataTypeNames;
    QSet<QString> known;
    for (const QString& t : std::as_const(types))
      known.insert(t.toCaseFolded());
    if (DrawingSurface)
      for (const TDomain* d : DrawingSurface->Domains)
        if (!known.contains(d->Name.toCaseFolded())) {
          known.insert(d->Name.toCaseFolded());
          types << d->Name;
        }
    const QSignalBlocker block(ColumnTypeCombo);
    ColumnTypeCombo->clear();
    ColumnTypeCombo->addItems(types);
  }
  const bool valid = PageObjectValid();
  SizeRows(StringGrid1, 1, valid ? AttributeCount() : 0);
  if (valid) {
    for (int i = 0; i < AttributeCount(); ++i) {
      const TRowAttribute row = RowAttribute(i);
      const TAttribute& a = *row.Attribute;
      const int r = i + 1;
      StringGrid1->SetText(0, r, a.Name);
      StringGrid1->SetText(tcColumnName, r, a.ColumnName());
      StringGrid1->SetText(tcType, r, a.DataType);
      StringGrid1->SetText(tcWidth, r, a.Width);
      StringGrid1->SetText(tcAllowNulls, r, !row.Key && a.AllowNulls ? kYes : kNo);
      StringGrid1->SetText(tcDefault, r, a.DefaultValue);
      StringGrid1->SetText(tcRule, r, a.Rule);
      MarkCarriedIn(StringGrid1, r, a, {tcType, tcWidth});
    }
    EditsEnabled = true;
    const QPoint cell = StringGrid1->CurrentCell();
    ColumnTypeCombo->setCurrentIndex(
        ColumnTypeCombo->findText(StringGrid1->Text(cell.x(), cell.y()), Qt::MatchFixedString));
  }
  StringGrid1->FitRowLabels();
  const TFlagGuard closing(FClosingPicker);
  ColumnTypeCombo->hide();
}

void TObjectEditor::LoadForms()
{
  FillEntityBox(ComboBox8, [](const TEntity& e) { return e.EditFormCaption; });
  const bool valid = PageObjectValid();
  {
    QStringList groups;
    QSet<QString> seen;
    if (DrawingSurface)
      for (const TEntity* e : DrawingSurface->Entities)
        if (!e->MenuGroup.isEmpty() && !seen.contains(e->MenuGroup.toCaseFolded())) {
          seen.insert(e->MenuGroup.toCaseFolded());
          groups << e->MenuGroup;
        }
    const QSignalBlocker block(MenuGroupCombo);
    MenuGroupCombo->clear();
    MenuGroupCombo->addItems(groups);
    MenuGroupCombo->setCurrentIndex(-1);
    MenuGroupCombo->setEditText(valid ? CurrentEntity->MenuGroup : QString());
  }
  const QSignalBlocker b1(FormStyleCombo), b2(FormWidth), b3(FormHeight), b4(FieldSpacing), b5(LineSpacing);
  FormStyleCombo->setCurrentIndex(valid ? int(CurrentEntity->FormStyle) : -1);
  FormWidth->setText(valid ? QString::number(CurrentEntity->FormWidth) : QString());
  FormHeight->setText(valid ? QString::number(CurrentEntity->FormHeight) : QString());
  FieldSpacing->setText(valid ? QString::number(CurrentEntity->FieldSpacing) : QString());
  LineSpacing->setText(valid ? QString::number(CurrentEntity->LineSpacing) : QString());

  SizeRows(StringGrid2, 1, valid ? AttributeCount() : 0);
  if (valid) {
    for (int i = 0; i < AttributeCount(); ++i) {
      const TAttribute& a = *RowAttribute(i).Attribute;
      const int r = i + 1;
      StringGrid2->SetText(0, r, a.Name);
      StringGrid2->SetText(fcDisplayType, r, DisplayTypeText(DisplayTypeNames, a.DisplayType));
      StringGrid2->SetText(fcTop, r, QString::number(a.ControlTop));
      StringGrid2->SetText(fcLeft, r, QString::number(a.ControlLeft));
      StringGrid2->SetText(fcWidth, r, QString::number(a.ControlWidth));
      MarkCarriedIn(StringGrid2, r, a);
    }
    EditsEnabled = true;
    const QPoint cell = StringGrid2->CurrentCell();
    DisplayTypeCombo->setCurrentIndex(
        DisplayTypeCombo->findText(StringGrid2->Text(cell.x(), cell.y()), Qt::MatchFixedString));
  }
  StringGrid2->FitRowLabels();
  {
    const TFlagGuard closing(FClosingPicker);
    DisplayTypeCombo->hide();
  }
  StringGrid2->setFocusPolicy(Qt::StrongFocus);
}

void TObjectEditor::LoadIndexes()
{
  FillEntityBox(ComboBox9, [](const TEntity& e) { return e.TableName(); });
  const bool valid = PageObjectValid();
  const int attributes = valid ? AttributeCount() : 0;
  const int indexes = valid ? CurrentEntity->Indexes.Count() : 0;
  StringGrid3->SetColumns(1 + qMax(indexes, 1));
  // The name and uniqueness rows, then one row per attribute: no data row of
  // its own for an entity without attributes.
  StringGrid3->SetRows(kFirstIndexRow + attributes);
  StringGrid3->SetText(0, 0, QStringLiteral("Attribute"));
  StringGrid3->SetText(0, 1, attributes > 0 ? QStringLiteral("Unique") : QString());
  if (indexes == 0)
    for (int r = 0; r < StringGrid3->Rows(); ++r)
      StringGrid3->SetText(1, r, QString());
  if (!valid) {
    StringGrid3->FitRowLabels();
    return;
  }
  for (int i = 0; i < attributes; ++i) {
    const TAttribute& a = *RowAttribute(i).Attribute;
    StringGrid3->SetText(0, kFirstIndexRow + i, a.Name);
    MarkCarriedIn(StringGrid3, kFirstIndexRow + i, a);
  }
  StringGrid3->FitRowLabels();
  for (int j = 0; j < indexes; ++j) {
    const TIndex& index = *CurrentEntity->Indexes.Objects(j);
    StringGrid3->SetText(j + 1, 0, index.Name());
    StringGrid3->SetText(j + 1, 1, index.Unique ? kYes : kNo);
    for (int i = 0; i < attributes; ++i) {
      const int at = index.Columns.IndexOfObject(RowAttribute(i).Attribute);
      StringGrid3->SetText(j + 1, kFirstIndexRow + i, at >= 0 ? QString::number(at + 1) : QString());
    }
  }
  EditsEnabled = true;
}

void TObjectEditor::MarkCarriedIn(TEditGrid* grid, int row, const TAttribute& a, std::initializer_list<int> cells)
{
  const QString note = a.ForeignKey ? QStringLiteral("Carried in by a relation from its parent entity") : QString();
  grid->SetMarked(0, row, note);
  for (int column : cells)
    grid->SetMarked(column, row, note);
}

// ---- Committing cells -----------------------------------------------------------------

void TObjectEditor::CommitCell(TEditGrid* grid, int column, int row, const QString& text)
{
  if (!BeginCommit() || !CurrentEntity)
    return;
  const TFlagGuard committing(FCommitting);
  if (grid == StringGrid1)
    StringGrid1SetEditText(column, row, text);
  else if (grid == StringGrid2)
    StringGrid2SetEditText(column, row, text);
  else
    StringGrid3SetEditText(column, row, text);
}

void TObjectEditor::CommitCellEnd(TEditGrid* grid, int column, int row, const QString& text)
{
  // Index names are taken at every keystroke that gives an acceptable name,
  // so a name that collides only on the way to another one (Ix1_0 on the way
  // to Ix1_0b) passes quietly. A name that still collides when the edit ends
  // is refused with a message; the index gets back the name it had before
  // the edit, and the cell shows it.
  if (grid != StringGrid3 || row != 0 || text.isEmpty() || !BeginCommit() || !CurrentEntity || column < 1 ||
      column > CurrentEntity->Indexes.Count())
    return;
  const TFlagGuard committing(FCommitting);
  const QString refusal = IndexNameRefusal(*CurrentEntity, column - 1, text);
  if (refusal.isEmpty())
    return;
  ShowLater(refusal);
  if (!FIndexNameBeforeEdit.isEmpty())
    CurrentEntity->RenameIndex(column - 1, FIndexNameBeforeEdit);
  StringGrid3->SetText(column, row, CurrentEntity->Indexes.Objects(column - 1)->Name());
}

// ---- Tables ---------------------------------------------------------------------------

void TObjectEditor::StringGrid1SetEditText(int column, int row, const QString& text)
{
  if (!EditsEnabled || !CurrentEntity)
    return;
  const TRowAttribute at = RowAttribute(row - 1);
  if (!at.Attribute)
    return;
  TAttribute& a = *at.Attribute;
  switch (column) {
  case tcColumnName: a.SetColumnName(text); break;
  case tcType:
    if (a.ForeignKey)
      StringGrid1->SetText(column, row, a.DataType);
    else
      CurrentEntity->ChangeAttributeDataType(at.Key, at.Position, text);
    break;
  case tcWidth:
    if (a.ForeignKey)
      StringGrid1->SetText(column, row, a.Width);
    else
      CurrentEntity->ChangeAttributeWidth(at.Key, at.Position, text);
    break;
  case tcAllowNulls:
    if (at.Key) {
      StringGrid1->SetText(column, row, kNo);
    } else if (!text.isEmpty()) {
      a.AllowNulls = text.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive);
      StringGrid1->SetText(column, row, a.AllowNulls ? kYes : kNo);
    }
    break;
  case tcDefault: a.DefaultValue = text; break;
  case tcRule: a.Rule = text; break;
  default: break;
  }
  RepaintEntity();
}

void TObjectEditor::StringGrid1DblClick()
{
  const QPoint cell = StringGrid1->CurrentCell();
  if (!CurrentEntity || !PageObjectValid() || cell.x() != tcAllowNulls)
    return;
  const TRowAttribute at = RowAttribute(cell.y() - 1);
  if (!at.Attribute || at.Key)
    return;
  const TFlagGuard held(EditsEnabled, false);
  at.Attribute->AllowNulls = !at.Attribute->AllowNulls;
  StringGrid1->SetText(cell.x(), cell.y(), at.Attribute->AllowNulls ? kYes : kNo);
  RepaintEntity();
}

void TObjectEditor::GridClick(TEditGrid* grid, QComboBox* picker, int pickerColumn, QPoint& last, int column,
                              int row)
{
  const QPoint cell(column, row);
  if (column == pickerColumn) {
    grid->SetEditingByTyping(false);
    if (cell == last)
      OpenPicker(grid, picker, column, row);
  } else {
    grid->SetEditingByTyping(true);
  }
  last = cell;
}

void TObjectEditor::StringGrid1Click(int column, int row)
{
  GridClick(StringGrid1, ColumnTypeCombo, tcType, LastTypeCell, column, row);
}

void TObjectEditor::OpenPicker(TEditGrid* grid, QComboBox* picker, int column, int row)
{
  if (row < grid->HeadingRows || row >= grid->Rows())
    return;
  picker->setGeometry(grid->CellRect(column, row));
  picker->setCurrentIndex(picker->findText(grid->Text(column, row), Qt::MatchFixedString));
  picker->show();
  picker->raise();
  picker->setFocus(Qt::OtherFocusReason);
}

void TObjectEditor::ClosePicker(TEditGrid* grid, QComboBox* picker)
{
  picker->hide();
  grid->setFocusPolicy(Qt::StrongFocus);
}

void TObjectEditor::CancelPicker(TEditGrid* grid, QComboBox* picker)
{
  const TFlagGuard closing(FClosingPicker);
  grid->setFocusPolicy(Qt::StrongFocus);
  grid->setFocus();
  picker->hide();
}

TObjectEditor::TRowAttribute TObjectEditor::TakePickerChoice(TEditGrid* grid, QComboBox* picker, QPoint cell,
                                                              int pickerColumn, QString& text)
{
  if (FClosingPicker)
    return {};
  picker->hide();
  // Nothing chosen (the cell held a value the list does not know): the cell
  // keeps its value.
  if (picker->currentIndex() < 0)
    return {};
  text = picker->currentText();
  grid->SetText(cell.x(), cell.y(), text);
  if (!EditsEnabled || !CurrentEntity || cell.x() != pickerColumn)
    return {};
  return RowAttribute(cell.y() - 1);
}

void TObjectEditor::ColumnTypeComboExit()
{
  CommitPicker(ColumnTypeCombo);
}

void TObjectEditor::DisplayTypeComboExit()
{
  CommitPicker(DisplayTypeCombo);
}

void TObjectEditor::CommitPicker(QComboBox* picker)
{
  // Hiding the picker takes its focus away, which would run this again.
  if (FCommitting)
    return;
  const TFlagGuard committing(FCommitting);
  QString text;
  if (picker == DisplayTypeCombo) {
    if (const TRowAttribute at =
            TakePickerChoice(StringGrid2, DisplayTypeCombo, LastDisplayCell, fcDisplayType, text);
        at.Attribute)
      at.Attribute->DisplayType = DisplayTypeOf(DisplayTypeNames, text);
    return;
  }
  const TRowAttribute at = TakePickerChoice(StringGrid1, ColumnTypeCombo, LastTypeCell, tcType, text);
  if (!at.Attribute)
    return;
  if (at.Attribute->ForeignKey) {
    StringGrid1->SetText(LastTypeCell.x(), LastTypeCell.y(), at.Attribute->DataType);
    return;
  }
  CurrentEntity->ChangeAttributeDataType(at.Key, at.Position, text);
  RepaintEntity();
}

// ---- Forms ----------------------------------------------------------------------------

void TObjectEditor::StringGrid2SetEditText(int column, int row, const QString& text)
{
  if (!EditsEnabled || !CurrentEntity)
    return;
  const TRowAttribute at = RowAttribute(row - 1);
  if (!at.Attribute)
    return;
  TAttribute& a = *at.Attribute;
  switch (column) {
  case fcDisplayType: a.DisplayType = DisplayTypeOf(DisplayTypeNames, text); break;
  case fcTop: a.ControlTop = IntegerOrZero(text); break;
  case fcLeft: a.ControlLeft = IntegerOrZero(text); break;
  case fcWidth: a.ControlWidth = IntegerOrZero(text); break;
  default: break;
  }
}

void TObjectEditor::StringGrid2Click(int column, int row)
{
  GridClick(StringGrid2, DisplayTypeCombo, fcDisplayType, LastDisplayCell, column, row);
}

void TObjectEditor::ResetFormButtonClick()
{
  if (!CurrentEntity || !PageObjectValid())
    return;
  for (int i = 0; i < AttributeCount(); ++i) {
    TAttribute& a = *RowAttribute(i).Attribute;
    a.DisplayType = TDisplayType::Default;
    a.ControlTop = a.ControlLeft = a.ControlWidth = 0;
  }
  LoadPage();
}

// ---- Row moves ------------------------------------------------------------------------

void TObjectEditor::MoveAttributeRow(int from, int to, int firstRow)
{
  if (!BeginCommit() || !CurrentEntity)
    return;
  const TFlagGuard committing(FCommitting);
  const int k = KeyCount();
  const int n = AttributeCount();
  const int f = from - firstRow;
  const int t = to - firstRow;
  const auto inKey = [k](int i) { return i >= 0 && i < k; };
  const auto inOther = [k, n](int i) { return i >= k && i < n; };
  if (inKey(f) && inKey(t)) {
    CurrentEntity->PrimaryKey.Move(f, t);
  } else if (inOther(f) && inOther(t)) {
    CurrentEntity->Attributes.Move(f - k, t - k);
  }
  CurrentEntity->NeedsLayout = true;
  RepaintEntity();
  // The grid shows the model's order again: the moved row where it went, a
  // move across the key boundary undone.
  LoadPage();
}

void TObjectEditor::StringGrid1RowMoved(int from, int to)
{
  MoveAttributeRow(from, to, 1);
}

void TObjectEditor::StringGrid2RowMoved(int from, int to)
{
  MoveAttributeRow(from, to, 1);
}

void TObjectEditor::StringGrid3RowMoved(int from, int to)
{
  MoveAttributeRow(from, to, kFirstIndexRow);
}

// ---- Indexes --------------------------------------------------------------------------

void TObjectEditor::ApplyIndexPosition(int indexPos, int attributeRow, const QString& text)
{
  TIndex& index = *CurrentEntity->Indexes.Objects(indexPos);
  TAttribute* a = RowAttribute(attributeRow).Attribute;
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

void TObjectEditor::StringGrid3SetEditText(int column, int row, const QString& text)
{
  if (!EditsEnabled || !CurrentEntity || column < 1 || column > CurrentEntity->Indexes.Count())
    return;
  const int indexPos = column - 1;
  TIndex& index = *CurrentEntity->Indexes.Objects(indexPos);
  const int attributeRow = row - kFirstIndexRow;
  if (row == 0) {
    // A colliding name is refused when the edit ends (CommitCellEnd).
    if (!text.isEmpty() && IndexNameRefusal(*CurrentEntity, indexPos, text).isEmpty())
      CurrentEntity->RenameIndex(indexPos, text);
    return;
  }
  if (text.isEmpty() && row == 1)
    return;
  if (row == 1) {
    index.Unique = text.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive);
  } else if (RowAttribute(attributeRow).Attribute) {
    if (!text.isEmpty()) {
      ApplyIndexPosition(indexPos, attributeRow, text);
    } else if (index.Columns.IsEmpty()) {
      CurrentEntity->DeleteIndex(indexPos);
    } else {
      const int at = index.Columns.IndexOfObject(RowAttribute(attributeRow).Attribute);
      if (at >= 0)
        index.Columns.Delete(at);
    }
  } else {
    return;
  }
  LoadPage();
}

void TObjectEditor::StringGrid3DblClick()
{
  const QPoint cell = StringGrid3->CurrentCell();
  if (!CurrentEntity || !PageObjectValid() || cell.x() < 1 || cell.x() > CurrentEntity->Indexes.Count() ||
      cell.y() < 1)
    return;
  const int indexPos = cell.x() - 1;
  TIndex& index = *CurrentEntity->Indexes.Objects(indexPos);
  const TFlagGuard held(EditsEnabled, false);
  if (cell.y() == 1) {
    index.Unique = !index.Unique;
    LoadPage();
  } else if (TAttribute* a = RowAttribute(cell.y() - kFirstIndexRow).Attribute) {
    const int at = index.Columns.IndexOfObject(a);
    if (at >= 0) {
      index.Columns.Delete(at);
      if (index.Columns.IsEmpty())
        CurrentEntity->DeleteIndex(indexPos);
      LoadPage();
    } else {
      index.Columns.Add(QStringLiteral("A"), a);
      StringGrid3->SetText(cell.x(), cell.y(), QString::number(index.Columns.Count()));
    }
  }
}

void TObjectEditor::NewIndexButtonClick()
{
  if (CurrentEntity && PageObjectValid() && AttributeCount() > 0) {
    auto index = std::make_unique<TIndex>();
    CurrentEntity->AddIndex(std::move(index));
    LoadPage();
  }
  StringGrid3->setFocus();
}

}  // namespace veska
