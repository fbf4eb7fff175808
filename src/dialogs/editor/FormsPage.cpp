#include "dialogs/editor/FormsPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace veska {

namespace {

enum { fcDisplayType = 1, fcTop, fcLeft, fcWidth, fcCount };

// The display types as the grid shows them: the entry after a type's own
// place ("None" comes first); "None" and unknown texts read as Default.
const QStringList kDisplayTypeNames = {QStringLiteral("None"),     QStringLiteral("Default"),
                                       QStringLiteral("Edit"),     QStringLiteral("Lookup"),
                                       QStringLiteral("ListBox"),  QStringLiteral("CheckBox"),
                                       QStringLiteral("RadioButton"), QStringLiteral("Text")};

QString DisplayTypeText(TDisplayType type)
{
  return kDisplayTypeNames.value(int(type) + 1);
}

TDisplayType DisplayTypeOf(const QString& text)
{
  for (int k = 2; k < kDisplayTypeNames.size() && k <= kDisplayTypeCount; ++k)
    if (kDisplayTypeNames[k].compare(text, Qt::CaseInsensitive) == 0)
      return TDisplayType(k - 1);
  return TDisplayType::Default;
}

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

}  // namespace

TFormsPage::TFormsPage(TObjectEditor& window) : TAttributeGridPage(window, 1)
{
  setObjectName(QStringLiteral("formsPage"));
  formNameBox = MakeNameBox("formNameBox", false);
  resetFormButton = Button("resetFormButton", QStringLiteral("&Reset"));
  BuildGrid();
  BuildFields();
  Connect();
  TabChain({formNameBox, resetFormButton, formStyleCombo, menuGroupCombo, formWidthEdit, formHeightEdit,
            fieldSpacingEdit, lineSpacingEdit, formGrid});
}

void TFormsPage::BuildGrid()
{
  formGrid = new TEditGrid(1);
  formGrid->setObjectName(QStringLiteral("formGrid"));
  formGrid->SetColumns(fcCount);
  formGrid->SetRows(2);
  const QStringList headings = {QStringLiteral("Attribute"), QStringLiteral("Display Type"), QStringLiteral("Top"),
                                QStringLiteral("Left"), QStringLiteral("Width")};
  const int widths[] = {72, 71, 43, 41, 40};
  for (int c = 0; c < fcCount; ++c) {
    formGrid->SetText(c, 0, headings[c]);
    formGrid->SetColumnWidth(c, widths[c]);
  }
  formGrid->SetChoiceColumn(fcDisplayType);
  displayTypePicker = new TCellPicker(*formGrid, "displayTypePicker");
  displayTypePicker->addItems({QStringLiteral("Default"), QStringLiteral("Edit"), QStringLiteral("Lookup"),
                               QStringLiteral("ListBox"), QStringLiteral("CheckBox"), QStringLiteral("Text")});
}

void TFormsPage::BuildFields()
{
  formStyleCombo = new QComboBox;
  formStyleCombo->setObjectName(QStringLiteral("formStyleCombo"));
  formStyleCombo->addItems({QStringLiteral("Grid"), QStringLiteral("Horizontal"), QStringLiteral("Vertical")});
  menuGroupCombo = new QComboBox;
  menuGroupCombo->setObjectName(QStringLiteral("menuGroupCombo"));
  menuGroupCombo->setEditable(true);
  menuGroupCombo->setInsertPolicy(QComboBox::NoInsert);
  menuGroupCombo->setCompleter(nullptr);
  formWidthEdit = NumberField("formWidthEdit");
  formHeightEdit = NumberField("formHeightEdit");
  fieldSpacingEdit = NumberField("fieldSpacingEdit");
  lineSpacingEdit = NumberField("lineSpacingEdit");

  auto* fields = new QFormLayout;
  fields->addRow(BuddyLabel(QStringLiteral("&Style"), formStyleCombo), formStyleCombo);
  fields->addRow(BuddyLabel(QStringLiteral("&Menu Group"), menuGroupCombo), menuGroupCombo);
  auto* size = new QHBoxLayout;
  size->addWidget(formWidthEdit);
  size->addWidget(formHeightEdit);
  fields->addRow(BuddyLabel(QStringLiteral("Form Si&ze (W,H)"), formWidthEdit), size);
  auto* spacing = new QHBoxLayout;
  spacing->addWidget(fieldSpacingEdit);
  spacing->addWidget(lineSpacingEdit);
  fields->addRow(BuddyLabel(QStringLiteral("S&pacing (H, V)"), fieldSpacingEdit), spacing);

  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  bar->setSpacing(8);
  bar->addWidget(BuddyLabel(QStringLiteral("&Form Name"), formNameBox));
  bar->addWidget(formNameBox, 1);
  bar->addWidget(resetFormButton);
  layout->addLayout(bar);
  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addStretch();
  body->addLayout(left);
  body->addWidget(formGrid, 1);
  layout->addLayout(body, 1);
}

void TFormsPage::Connect()
{
  UseGrid(formGrid);
  UsePicker(displayTypePicker);
  connect(resetFormButton, &QPushButton::clicked, this, &TFormsPage::ResetForm);
  OnEdit(formStyleCombo, &QComboBox::activated, [this] {
    if (Window.CurrentEntity)
      Window.CurrentEntity->FormStyle = TFormStyleType(qMax(formStyleCombo->currentIndex(), 0));
  });
  OnEdit(menuGroupCombo, &QComboBox::editTextChanged, [this] {
    if (Window.CurrentEntity)
      Window.CurrentEntity->MenuGroup = menuGroupCombo->currentText();
  });
  const std::pair<QLineEdit*, int TEntity::*> numbers[] = {{formWidthEdit, &TEntity::FormWidth},
                                                           {formHeightEdit, &TEntity::FormHeight},
                                                           {fieldSpacingEdit, &TEntity::FieldSpacing},
                                                           {lineSpacingEdit, &TEntity::LineSpacing}};
  for (const auto& [field, member] : numbers)
    OnEdit(field, &QLineEdit::textChanged, [this, field = field, member = member] {
      if (Window.CurrentEntity)
        Window.CurrentEntity->*member = IntegerOrZero(field->text());
    });
}

bool TFormsPage::Fill()
{
  FillEntityBox([](const TEntity& e) { return e.EditFormCaption; });
  const bool valid = EntityValid();
  FillFields(valid);
  SizeRows(valid ? AttributeCount() : 0);
  if (valid) {
    FillRows();
    const QPoint cell = formGrid->CurrentCell();
    displayTypePicker->setCurrentIndex(
        displayTypePicker->findText(formGrid->Text(cell.x(), cell.y()), Qt::MatchFixedString));
  }
  formGrid->FitRowLabels();
  displayTypePicker->hide();
  formGrid->setFocusPolicy(Qt::StrongFocus);
  return valid;
}

void TFormsPage::FillFields(bool valid)
{
  const TEntity* e = valid ? Window.CurrentEntity : nullptr;
  {
    QStringList groups;
    QSet<QString> seen;
    if (Surface())
      for (const TEntity* other : Surface()->Entities)
        if (!other->MenuGroup.isEmpty() && !seen.contains(other->MenuGroup.toCaseFolded())) {
          seen.insert(other->MenuGroup.toCaseFolded());
          groups << other->MenuGroup;
        }
    const QSignalBlocker block(menuGroupCombo);
    menuGroupCombo->clear();
    menuGroupCombo->addItems(groups);
    menuGroupCombo->setCurrentIndex(-1);
    menuGroupCombo->setEditText(e ? e->MenuGroup : QString());
  }
  const QSignalBlocker b1(formStyleCombo), b2(formWidthEdit), b3(formHeightEdit), b4(fieldSpacingEdit),
      b5(lineSpacingEdit);
  formStyleCombo->setCurrentIndex(e ? int(e->FormStyle) : -1);
  formWidthEdit->setText(e ? QString::number(e->FormWidth) : QString());
  formHeightEdit->setText(e ? QString::number(e->FormHeight) : QString());
  fieldSpacingEdit->setText(e ? QString::number(e->FieldSpacing) : QString());
  lineSpacingEdit->setText(e ? QString::number(e->LineSpacing) : QString());
}

void TFormsPage::FillRows()
{
  for (int i = 0; i < AttributeCount(); ++i) {
    const TAttribute& a = *RowAttribute(i).Attribute;
    const int r = i + FirstRow;
    formGrid->SetText(0, r, a.Name);
    formGrid->SetText(fcDisplayType, r, DisplayTypeText(a.DisplayType));
    formGrid->SetText(fcTop, r, QString::number(a.ControlTop()));
    formGrid->SetText(fcLeft, r, QString::number(a.ControlLeft()));
    formGrid->SetText(fcWidth, r, QString::number(a.ControlWidth()));
    MarkCarriedIn(r, a);
  }
}

void TFormsPage::Rename(const QString& typed)
{
  if (!EntityValid())
    return;
  Window.CurrentEntity->EditFormCaption = typed;
  FillEntityBox([](const TEntity& e) { return e.EditFormCaption; });
}

void TFormsPage::EditCell(int column, int row, const QString& text)
{
  TAttribute* a = RowAttribute(row - FirstRow).Attribute;
  if (!a)
    return;
  switch (column) {
  case fcDisplayType: a->DisplayType = DisplayTypeOf(text); break;
  case fcTop: a->SetControlTop(IntegerOrZero(text)); break;
  case fcLeft: a->SetControlLeft(IntegerOrZero(text)); break;
  case fcWidth: a->SetControlWidth(IntegerOrZero(text)); break;
  default: break;
  }
}

void TFormsPage::ApplyChoice(const TRowAttribute& row, QPoint, const QString& text)
{
  row.Attribute->DisplayType = DisplayTypeOf(text);
}

void TFormsPage::ResetForm()
{
  if (!EntityValid())
    return;
  for (int i = 0; i < AttributeCount(); ++i) {
    TAttribute& a = *RowAttribute(i).Attribute;
    a.DisplayType = TDisplayType::Default;
    a.SetControlTop(0);
    a.SetControlLeft(0);
    a.SetControlWidth(0);
  }
  ReloadWindow();
}

}  // namespace veska
