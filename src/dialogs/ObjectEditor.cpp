#include "dialogs/ObjectEditor.h"

#include "dialogs/EditorWidgets.h"
#include "model/EditRules.h"
#include "surface/DrawingSurface.h"
#include "surface/Routing.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace veska {

const QStringList TObjectEditor::PageNames = {
    QStringLiteral("Entities"), QStringLiteral("Relations"), QStringLiteral("Tables"), QStringLiteral("Domains"),
    QStringLiteral("Text"),     QStringLiteral("Processes"), QStringLiteral("Forms"),  QStringLiteral("Indexes")};

namespace {

constexpr int kMinWidth = 380;
constexpr int kMinHeight = 300;
constexpr int kMaxRule = 254;
constexpr int kMaxCaption = 250;

// The page each name box stands on.
int PageOfBox(int box)
{
  switch (box) {
  case 1: return TObjectEditor::pgEntities;
  case 2: return TObjectEditor::pgDomains;
  case 3: return TObjectEditor::pgTables;
  case 4: return TObjectEditor::pgRelations;
  case 5: return TObjectEditor::pgText;
  case 7: return TObjectEditor::pgProcesses;
  case 8: return TObjectEditor::pgForms;
  case 9: return TObjectEditor::pgIndexes;
  default: return -1;
  }
}

int BoxOfPage(int page)
{
  for (int box = 1; box <= 9; ++box)
    if (PageOfBox(box) == page)
      return box;
  return -1;
}

bool LessIgnoringCase(const QString& a, const QString& b)
{
  const int c = a.compare(b, Qt::CaseInsensitive);
  return c != 0 ? c < 0 : a < b;
}

QString CaptionOf(const QString& memoText)
{
  QString caption = memoText;
  caption.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return caption;
}

QString MemoText(const QString& caption)
{
  QString text = caption;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

// ---- Construction -------------------------------------------------------------------

TObjectEditor::TObjectEditor(QWidget* parent) : QWidget(parent, Qt::Window)
{
  setObjectName(QStringLiteral("ObjectEditor"));
  setWindowTitle(QStringLiteral("Veska - Objects Editor"));
  setMinimumSize(kMinWidth, kMinHeight);
  resize(560, 460);

  DisplayTypeNames = {QStringLiteral("None"),     QStringLiteral("Default"), QStringLiteral("Edit"),
                      QStringLiteral("Lookup"),   QStringLiteral("ListBox"), QStringLiteral("CheckBox"),
                      QStringLiteral("RadioButton"), QStringLiteral("Text")};
  DataTypeNames = {QStringLiteral("Default")};

  Notebook = new QStackedWidget;
  Notebook->setObjectName(QStringLiteral("Notebook"));
  Notebook->addWidget(BuildEntitiesPage());
  Notebook->addWidget(BuildRelationsPage());
  Notebook->addWidget(BuildTablesPage());
  Notebook->addWidget(BuildDomainsPage());
  Notebook->addWidget(BuildTextPage());
  Notebook->addWidget(BuildProcessesPage());
  Notebook->addWidget(BuildFormsPage());
  Notebook->addWidget(BuildIndexesPage());
  // The buttons at the right of each page's bar keep 8 pixels from its edge.
  for (int i = 0; i < Notebook->count(); ++i)
    Notebook->widget(i)->layout()->setContentsMargins(8, 8, 8, 8);

  // Every page has a tab but "Processes", which opens only for a process;
  // its tab is kept invisible so that no visible tab is selected then.
  TabSet = new QTabBar;
  TabSet->setObjectName(QStringLiteral("TabSet"));
  TabSet->setShape(QTabBar::RoundedSouth);
  TabSet->setExpanding(false);
  TabSet->setFocusPolicy(Qt::NoFocus);
  for (const QString& name : PageNames)
    TabSet->addTab(name);
  TabSet->setTabVisible(pgProcesses, false);
  connect(TabSet, &QTabBar::tabBarClicked, this, [this](int tab) {
    if (tab >= 0)
      TabSetClick(tab);
  });
  // Ctrl+Page Down and Ctrl+Page Up step through the tabs.
  for (const auto& [key, step] : {std::pair{Qt::Key_PageDown, 1}, std::pair{Qt::Key_PageUp, -1}}) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | key), this);
    connect(shortcut, &QShortcut::activated, this, [this, step = step] { StepTab(step); });
  }

  // The status line takes only the room the tabs leave, so that a message
  // never squeezes them; a message that does not fit is cut off.
  StatusLine = new QLabel;
  StatusLine->setObjectName(QStringLiteral("StatusLine"));
  StatusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  StatusLine->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  auto* bottom = new QHBoxLayout;
  bottom->setContentsMargins(0, 0, 0, 0);
  bottom->addWidget(TabSet);
  bottom->addWidget(StatusLine, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  layout->addWidget(Notebook, 1);
  layout->addLayout(bottom);

  ComboBox1 = NameBoxes[1];
  ComboBox2 = NameBoxes[2];
  ComboBox3 = NameBoxes[3];
  ComboBox4 = NameBoxes[4];
  ComboBox5 = NameBoxes[5];
  ComboBox7 = NameBoxes[7];
  ComboBox8 = NameBoxes[8];
  ComboBox9 = NameBoxes[9];
  ShowPage(pgEntities);
}

TObjectEditor::~TObjectEditor() = default;

void TObjectEditor::SetSettingsNames(const QStringList& dataTypes, const QStringList& servers)
{
  DataTypeNames = dataTypes;
  if (!DataTypeNames.contains(QStringLiteral("Default"), Qt::CaseInsensitive))
    DataTypeNames << QStringLiteral("Default");
  const QSignalBlocker block(ServerTypeCombo);
  ServerTypeCombo->clear();
  ServerTypeCombo->addItems(servers);
  ServerTypeCombo->setCurrentIndex(-1);
}

QComboBox* TObjectEditor::NewNameBox(int box, bool withValidator)
{
  auto* combo = new QComboBox;
  combo->setObjectName(QStringLiteral("ComboBox%1").arg(box));
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  combo->setMaxVisibleItems(20);
  combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QLineEdit* line = combo->lineEdit();
  // The box itself must neither pick a list entry nor insert one when the
  // user finishes typing: a typed name renames the current object.
  disconnect(line, &QLineEdit::editingFinished, combo, nullptr);
  disconnect(line, &QLineEdit::returnPressed, combo, nullptr);
  if (withValidator)
    line->setValidator(new TNameValidator([this] { NameRefused(); }, line));
  // The box has the focus and passes its events to the line edit directly,
  // so leaving and Enter are watched on the box.
  combo->installEventFilter(this);
  combo->setProperty("nameBox", box);
  connect(combo, &QComboBox::activated, this, [this, box] { NameBoxChange(box); });
  NameBoxes[size_t(box)] = combo;
  return combo;
}

namespace {

// The bar at the top of a page: a caption, the name box and the buttons.
QHBoxLayout* PageBar(const QString& caption, QComboBox* box, std::initializer_list<QPushButton*> buttons)
{
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(8);
  bar->addWidget(BuddyLabel(caption, box));
  bar->addWidget(box, 1);
  for (QPushButton* b : buttons)
    bar->addWidget(b);
  return bar;
}

QPushButton* Button(const char* name, const QString& caption)
{
  auto* b = new QPushButton(caption);
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}

TMemo* Memo(const char* name, bool wrap = true)
{
  auto* m = new TMemo;
  m->setObjectName(QLatin1String(name));
  if (wrap)
    m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  return m;
}

QLineEdit* Line(const char* name)
{
  auto* e = new QLineEdit;
  e->setObjectName(QLatin1String(name));
  return e;
}

QGroupBox* RadioGroup(const char* name, const QString& caption, const QStringList& items, QButtonGroup*& group,
                      int columns)
{
  auto* box = new QGroupBox(caption);
  box->setObjectName(QLatin1String(name));
  group = new QButtonGroup(box);
  auto* grid = new QGridLayout(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* radio = new QRadioButton(items[i]);
    group->addButton(radio, i);
    grid->addWidget(radio, i / columns, i % columns);
  }
  return box;
}

}  // namespace

QWidget* TObjectEditor::BuildEntitiesPage()
{
  auto* page = new QWidget;
  NewEntityButton = Button("NewEntityButton", QStringLiteral("&New"));
  DeleteEntityButton = Button("DeleteEntityButton", QStringLiteral("&Delete"));
  QComboBox* names = NewNameBox(1);
  Memo1 = Memo("Memo1", false);
  Memo2 = Memo("Memo2", false);
  for (TMemo* m : {Memo1, Memo2}) {
    m->RefuseCommas = true;
    m->OnRefused = [this] { NameRefused(); };
  }
  TableName = Line("TableName");
  EntityDesc = Memo("EntityDesc");
  ComboBox6 = new QComboBox;
  ComboBox6->setObjectName(QStringLiteral("ComboBox6"));
  ComboBox6->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  NameBoxes[6] = ComboBox6;
  EntityAttrDesc = Memo("EntityAttrDesc");

  auto* grid = new QGridLayout(page);
  grid->addLayout(PageBar(QStringLiteral("&Entity Name"), names, {NewEntityButton, DeleteEntityButton}), 0, 0, 1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("&Key Attributes"), Memo1), 1, 0);
  grid->addWidget(BuddyLabel(QStringLiteral("N&on-key Attributes"), Memo2), 1, 1);
  grid->addWidget(Memo1, 2, 0);
  grid->addWidget(Memo2, 2, 1);
  auto* tableBar = new QHBoxLayout;
  tableBar->addWidget(BuddyLabel(QStringLiteral("&Table Name"), TableName));
  tableBar->addWidget(TableName, 1);
  grid->addLayout(tableBar, 3, 0, 1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("Des&cription"), EntityDesc), 4, 0);
  auto* attrBar = new QHBoxLayout;
  attrBar->addWidget(BuddyLabel(QStringLiteral("Description of &Attribute"), ComboBox6));
  attrBar->addWidget(ComboBox6, 1);
  grid->addLayout(attrBar, 4, 1);
  grid->addWidget(EntityDesc, 5, 0);
  grid->addWidget(EntityAttrDesc, 5, 1);
  grid->setRowStretch(2, 2);
  grid->setRowStretch(5, 1);

  connect(NewEntityButton, &QPushButton::clicked, this, [this] { NewEntityButtonClick(); });
  connect(DeleteEntityButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(pgEntities); });
  connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
  connect(Memo2, &QPlainTextEdit::textChanged, this, [this] { Memo2Change(); });
  OnEdit(TableName, &QLineEdit::textChanged, [this] {
    if (CurrentEntity)
      CurrentEntity->SetTableName(TableName->text());
  });
  OnEdit(EntityDesc, &QPlainTextEdit::textChanged, [this] {
    if (CurrentEntity)
      CurrentEntity->Description = EntityDesc->Lines();
  });
  connect(ComboBox6, &QComboBox::currentIndexChanged, this, [this] { ComboBox6Change(); });
  connect(EntityAttrDesc, &QPlainTextEdit::textChanged, this, [this] { EntityAttrDescChange(); });
  TabChain({names, NewEntityButton, DeleteEntityButton, Memo1, Memo2, TableName, EntityDesc, ComboBox6,
               EntityAttrDesc});
  return page;
}

QWidget* TObjectEditor::BuildRelationsPage()
{
  auto* page = new QWidget;
  NewRelationButton = Button("NewRelationButton", QStringLiteral("&New"));
  NewRelationButton->hide();
  DeleteRelationButton = Button("DeleteRelationButton", QStringLiteral("&Delete"));
  QComboBox* names = NewNameBox(4);
  ParentEntity = Line("ParentEntity");
  ChildEntity = Line("ChildEntity");
  ParentEntity->setReadOnly(true);
  ChildEntity->setReadOnly(true);
  RelationTypeRadioGroup =
      RadioGroup("RelationTypeRadioGroup", QStringLiteral("Relate Parent to"),
                 {QStringLiteral("Zero or One"), QStringLiteral("Zero or One or More")}, RelationTypeButtons, 1);
  RelateToRadioGroup =
      RadioGroup("RelateToRadioGroup", QStringLiteral("Relate to Child's"),
                 {QStringLiteral("PrimaryKey"), QStringLiteral("Attributes")}, RelateToButtons, 2);
  RelationAttributes = Memo("RelationAttributes", false);
  RelationAttributes->setReadOnly(true);
  RelationDesc = Memo("RelationDesc");

  auto* grid = new QGridLayout(page);
  grid->addLayout(PageBar(QStringLiteral("&Relation Name"), names, {NewRelationButton, DeleteRelationButton}), 0, 0,
                  1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("&Parent Entity"), ParentEntity), 1, 0);
  grid->addWidget(BuddyLabel(QStringLiteral("C&hild Entity"), ChildEntity), 1, 1);
  grid->addWidget(ParentEntity, 2, 0);
  grid->addWidget(ChildEntity, 2, 1);
  grid->addWidget(RelationTypeRadioGroup, 3, 0);
  grid->addWidget(RelateToRadioGroup, 3, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Attributes"), RelationAttributes), 4, 0);
  grid->addWidget(BuddyLabel(QStringLiteral("Des&cription"), RelationDesc), 4, 1);
  grid->addWidget(RelationAttributes, 5, 0);
  grid->addWidget(RelationDesc, 5, 1);
  grid->setRowStretch(5, 1);

  connect(DeleteRelationButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(pgRelations); });
  connect(RelationTypeButtons, &QButtonGroup::idClicked, this, [this](int id) {
    CommitField([this, id] {
      if (!CurrentRelation)
        return;
      CurrentRelation->Cardinality = id == 0 ? 1 : 3;
      // The child's end symbol follows at once; the route stays as it is.
      TRelationSegment& last = CurrentRelation->Segments[2];
      last.EndSymbol = ChildEndSymbol(CurrentRelation->Cardinality, CurrentRelation->RouteShape, last.EndSymbol);
      last.Repaint();
    });
  });
  connect(RelateToButtons, &QButtonGroup::idClicked, this, [this](int id) {
    CommitField([this, id] {
      if (!CurrentRelation || !DrawingSurface)
        return;
      const QString refusal = PrimaryRelationRefusal(*DrawingSurface, *CurrentRelation, id == 0);
      if (refusal.isEmpty())
        CurrentRelation->SetPrimaryRelation(id == 0);
      else
        ShowLater(refusal);
      RefreshRelationChoices();
    });
  });
  OnEdit(RelationDesc, &QPlainTextEdit::textChanged, [this] {
    if (CurrentRelation)
      CurrentRelation->Description = RelationDesc->Lines();
  });
  return page;
}

QWidget* TObjectEditor::BuildDomainsPage()
{
  auto* page = new QWidget;
  NewDomainButton = Button("NewDomainButton", QStringLiteral("&New"));
  DeleteDomainButton = Button("DeleteDomainButton", QStringLiteral("&Delete"));
  QComboBox* names = NewNameBox(2);
  DataType = Line("DataType");
  DomainRule = Line("DomainRule");
  DomainRule->setMaxLength(kMaxRule);
  DomainDesc = Memo("DomainDesc");

  auto* grid = new QGridLayout(page);
  grid->addLayout(PageBar(QStringLiteral("Do&main Name"), names, {NewDomainButton, DeleteDomainButton}), 0, 0, 1,
                  2);
  grid->addWidget(BuddyLabel(QStringLiteral("Data &Type"), DataType), 1, 0);
  grid->addWidget(DataType, 1, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Validation Rule"), DomainRule), 2, 0, 1, 2);
  grid->addWidget(DomainRule, 3, 0, 1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("Des&cription"), DomainDesc), 4, 0, 1, 2);
  grid->addWidget(DomainDesc, 5, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(5, 1);

  connect(NewDomainButton, &QPushButton::clicked, this, [this] { NewDomainButtonClick(); });
  connect(DeleteDomainButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(pgDomains); });
  OnEdit(DataType, &QLineEdit::textChanged, [this] {
    if (CurrentDomain)
      CurrentDomain->SetDataType(DataType->text());
  });
  OnEdit(DomainRule, &QLineEdit::textChanged, [this] {
    if (CurrentDomain)
      CurrentDomain->Rule = DomainRule->text();
  });
  OnEdit(DomainDesc, &QPlainTextEdit::textChanged, [this] {
    if (CurrentDomain)
      CurrentDomain->Description = DomainDesc->Lines();
  });
  return page;
}

QWidget* TObjectEditor::BuildTextPage()
{
  auto* page = new QWidget;
  NewTextButton = Button("NewTextButton", QStringLiteral("&New"));
  DeleteTextButton = Button("DeleteTextButton", QStringLiteral("&Delete"));
  QComboBox* names = NewNameBox(5);
  TextDesc = Memo("TextDesc", false);
  TextDesc->MaxLength = kMaxCaption;

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(PageBar(QStringLiteral("Te&xt Name"), names, {NewTextButton, DeleteTextButton}));
  layout->addWidget(BuddyLabel(QStringLiteral("Text &Content"), TextDesc));
  layout->addWidget(TextDesc, 1);

  connect(NewTextButton, &QPushButton::clicked, this, [this] { NewTextButtonClick(); });
  connect(DeleteTextButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(pgText); });
  OnEdit(TextDesc, &QPlainTextEdit::textChanged, [this] {
    if (CurrentText)
      CurrentText->SetCaption(CaptionOf(TextDesc->toPlainText()));
  });
  return page;
}

QWidget* TObjectEditor::BuildProcessesPage()
{
  auto* page = new QWidget;
  NewProcButton = Button("NewProcButton", QStringLiteral("&New"));
  DeleteProcButton = Button("DeleteProcButton", QStringLiteral("&Delete"));
  QComboBox* names = NewNameBox(7);
  ServerTypeCombo = new QComboBox;
  ServerTypeCombo->setObjectName(QStringLiteral("ServerTypeCombo"));
  ProcessDesc = Memo("ProcessDesc", false);
  ProcessDesc->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  ProcessDesc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(PageBar(QStringLiteral("&Process Name"), names, {NewProcButton, DeleteProcButton}));
  auto* server = new QHBoxLayout;
  server->addWidget(BuddyLabel(QStringLiteral("&Server"), ServerTypeCombo));
  server->addWidget(ServerTypeCombo, 1);
  layout->addLayout(server);
  layout->addWidget(BuddyLabel(QStringLiteral("Process &Content"), ProcessDesc));
  layout->addWidget(ProcessDesc, 1);

  connect(NewProcButton, &QPushButton::clicked, this, [this] { NewProcButtonClick(); });
  connect(DeleteProcButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(pgProcesses); });
  OnEdit(ServerTypeCombo, &QComboBox::activated, [this] {
    if (CurrentProcess)
      CurrentProcess->Server = ServerTypeCombo->currentText();
  });
  OnEdit(ProcessDesc, &QPlainTextEdit::textChanged, [this] {
    if (CurrentProcess)
      CurrentProcess->Text = ProcessDesc->Lines();
  });
  return page;
}

// ---- Current objects and pages ------------------------------------------------------

int TObjectEditor::ActivePage() const
{
  return Notebook->currentIndex();
}

void TObjectEditor::ShowPage(int page)
{
  if (page < 0 || page >= pgCount)
    return;
  Notebook->setCurrentIndex(page);
  {
    const QSignalBlocker block(TabSet);
    TabSet->setCurrentIndex(page);
  }
  LoadPage();
}

void TObjectEditor::StepTab(int step)
{
  const int count = TabSet->count();
  for (int i = 1; i < count; ++i) {
    const int tab = ((ActivePage() + step * i) % count + count) % count;
    if (TabSet->isTabVisible(tab)) {
      TabSet->setCurrentIndex(tab);
      TabSetClick(tab);
      return;
    }
  }
}

void TObjectEditor::TabSetClick(int tab)
{
  Notebook->setCurrentIndex(tab);
  if (QComboBox* box = NameBoxes[size_t(BoxOfPage(tab))])
    box->setFocus();
  LoadPage();
}

namespace {
template <typename T>
void MakeCurrent(TObjectEditor& editor, int page, T*& current, T* object)
{
  if (editor.ActivePage() == page)
    editor.NameBoxes[size_t(BoxOfPage(page))]->setFocus();
  current = object;
  editor.LoadPage();
}
}  // namespace

void TObjectEditor::SetCurrentDomain(TDomain* domain)
{
  MakeCurrent(*this, pgDomains, CurrentDomain, domain);
}

void TObjectEditor::SetCurrentEntity(TEntity* entity)
{
  MakeCurrent(*this, pgEntities, CurrentEntity, entity);
}

void TObjectEditor::SetCurrentRelation(TRelation* relation)
{
  MakeCurrent(*this, pgRelations, CurrentRelation, relation);
}

void TObjectEditor::SetCurrentText(TTextLabel* label)
{
  MakeCurrent(*this, pgText, CurrentText, label);
}

void TObjectEditor::SetCurrentProcess(TServerProc* process)
{
  MakeCurrent(*this, pgProcesses, CurrentProcess, process);
}

void TObjectEditor::ObjectRemoving(const void* object)
{
  if (!object || object == CurrentEntity)
    CurrentEntity = nullptr;
  if (!object || object == CurrentRelation)
    CurrentRelation = nullptr;
  if (!object || object == CurrentDomain)
    CurrentDomain = nullptr;
  if (!object || object == CurrentText)
    CurrentText = nullptr;
  if (!object || object == CurrentProcess)
    CurrentProcess = nullptr;
  // The page may show what the removal changes (names, carried attributes):
  // edits stop now and the page is shown anew once the model has settled.
  EditsEnabled = false;
  if (!FReloadPending) {
    FReloadPending = true;
    QTimer::singleShot(0, this, [this] {
      FReloadPending = false;
      LoadPage();
    });
  }
}

bool TObjectEditor::PageObjectValid()
{
  const TDrawingSurface* s = DrawingSurface;
  if (!s)
    return false;
  switch (ActivePage()) {
  case pgEntities:
  case pgTables:
  case pgForms:
  case pgIndexes: return CurrentEntity && s->Entities.IndexOfObject(CurrentEntity) >= 0;
  case pgRelations: return CurrentRelation && s->Relations.IndexOfObject(CurrentRelation) >= 0;
  case pgDomains: return CurrentDomain && s->Domains.IndexOfObject(CurrentDomain) >= 0;
  case pgText: return CurrentText && s->Labels.IndexOfObject(CurrentText) >= 0;
  case pgProcesses: return CurrentProcess && s->ServerProcs.IndexOfObject(CurrentProcess) >= 0;
  default: return false;
  }
}

void TObjectEditor::LoadPage()
{
  EditsEnabled = false;
  StatusLine->clear();
  switch (ActivePage()) {
  case pgEntities: LoadEntities(); break;
  case pgRelations: LoadRelations(); break;
  case pgTables: LoadTables(); break;
  case pgDomains: LoadDomains(); break;
  case pgText: LoadText(); break;
  case pgProcesses: LoadProcesses(); break;
  case pgForms: LoadForms(); break;
  case pgIndexes: LoadIndexes(); break;
  default: break;
  }
}

void TObjectEditor::FillNameBox(QComboBox* box, const QStringList& names, const QString* current)
{
  QStringList sorted = names;
  std::stable_sort(sorted.begin(), sorted.end(), LessIgnoringCase);
  const QSignalBlocker block(box);
  box->clear();
  box->addItems(sorted);
  box->setCurrentIndex(current ? int(sorted.indexOf(*current)) : -1);
  if (!current)
    box->setEditText(QString());
}

void TObjectEditor::LoadEntities()
{
  const bool valid = PageObjectValid();
  FillNameBox(ComboBox1, DrawingSurface ? DrawingSurface->Entities.Texts() : QStringList(),
              valid ? &CurrentEntity->EntityName() : nullptr);
  if (!valid) {
    Memo1->SetText({});
    Memo2->SetText({});
    const QSignalBlocker block(TableName);
    TableName->clear();
    EntityDesc->SetText({});
    ComboBox6->clear();
    EntityAttrDesc->SetText({});
    return;
  }
  const TEntity& e = *CurrentEntity;
  Memo1->SetLines(e.PrimaryKey.Texts());
  Memo2->SetLines(e.Attributes.Texts());
  {
    const QSignalBlocker block(TableName);
    TableName->setText(e.TableName());
  }
  EntityDesc->SetLines(e.Description);
  FillAttributePicker(0);
  EditsEnabled = true;
}

void TObjectEditor::LoadRelations()
{
  const bool valid = PageObjectValid();
  FillNameBox(ComboBox4, DrawingSurface ? DrawingSurface->Relations.Texts() : QStringList(),
              valid ? &CurrentRelation->RelationName() : nullptr);
  if (!valid) {
    ParentEntity->clear();
    ChildEntity->clear();
    for (QButtonGroup* group : {RelationTypeButtons, RelateToButtons}) {
      group->setExclusive(false);
      for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
      group->setExclusive(true);
    }
    RelationAttributes->SetText({});
    RelationDesc->SetText({});
    return;
  }
  const TRelation& r = *CurrentRelation;
  ParentEntity->setText(r.Parent->EntityName());
  ChildEntity->setText(r.Child->EntityName());
  RefreshRelationChoices();
  QStringList lines;
  for (int i = 0; i < r.Parent->PrimaryKey.Count(); ++i) {
    const QString& name = r.Parent->PrimaryKey.Objects(i)->Name;
    if (const TAttribute* copy = r.MigratedAttributes.Find(name))
      lines << name + QStringLiteral("->") + copy->Name;
  }
  RelationAttributes->SetLines(lines);
  RelationDesc->SetLines(r.Description);
  EditsEnabled = true;
}

void TObjectEditor::RefreshRelationChoices()
{
  const TRelation& r = *CurrentRelation;
  RelationTypeButtons->button(r.Cardinality <= 1 ? 0 : 1)->setChecked(true);
  RelateToButtons->button(r.PrimaryRelation() ? 0 : 1)->setChecked(true);
}

void TObjectEditor::LoadDomains()
{
  const bool valid = PageObjectValid();
  FillNameBox(ComboBox2, DrawingSurface ? DrawingSurface->Domains.Texts() : QStringList(),
              valid ? &CurrentDomain->Name : nullptr);
  const QSignalBlocker b1(DataType);
  const QSignalBlocker b2(DomainRule);
  DataType->setText(valid ? CurrentDomain->DataType : QString());
  DomainRule->setText(valid ? CurrentDomain->Rule : QString());
  DomainDesc->SetLines(valid ? CurrentDomain->Description : QStringList());
  EditsEnabled = valid;
}

void TObjectEditor::LoadText()
{
  const bool valid = PageObjectValid();
  // A label's name is its entry in the surface's list.
  FillNameBox(ComboBox5, DrawingSurface ? DrawingSurface->Labels.Texts() : QStringList(),
              valid ? &DrawingSurface->Labels.Strings(DrawingSurface->Labels.IndexOfObject(CurrentText)) : nullptr);
  TextDesc->SetText(valid ? MemoText(CurrentText->Caption()) : QString());
  EditsEnabled = valid;
}

void TObjectEditor::LoadProcesses()
{
  const bool valid = PageObjectValid();
  FillNameBox(ComboBox7, DrawingSurface ? DrawingSurface->ServerProcs.Texts() : QStringList(),
              valid ? &CurrentProcess->Name : nullptr);
  {
    const QSignalBlocker block(ServerTypeCombo);
    ServerTypeCombo->setCurrentIndex(valid ? ServerTypeCombo->findText(CurrentProcess->Server, Qt::MatchFixedString)
                                           : -1);
  }
  ProcessDesc->SetLines(valid ? CurrentProcess->Text : QStringList());
  EditsEnabled = valid;
}

// ---- Name boxes ---------------------------------------------------------------------

void TObjectEditor::NameRefused()
{
  StatusLine->setText(QStringLiteral("A name cannot contain a comma."));
}

void TObjectEditor::NameBoxChange(int box)
{
  QComboBox* combo = NameBoxes[size_t(box)];
  if (!DrawingSurface || combo->currentIndex() < 0 || combo->currentText() != combo->itemText(combo->currentIndex()))
    return;
  TDrawingSurface& s = *DrawingSurface;
  const QString name = combo->currentText();
  switch (box) {
  case 1:
    if (TEntity* e = s.Entities.Find(name))
      SetCurrentEntity(e);
    break;
  case 2:
    if (TDomain* d = s.Domains.Find(name))
      SetCurrentDomain(d);
    break;
  case 4:
    if (TRelation* r = s.Relations.Find(name))
      SetCurrentRelation(r);
    break;
  case 5:
    if (TTextLabel* l = s.Labels.Find(name))
      SetCurrentText(l);
    break;
  case 7:
    if (TServerProc* p = s.ServerProcs.Find(name))
      SetCurrentProcess(p);
    break;
  default: {
    // The grid pages list entities by table name or form caption; each
    // entry carries its entity.
    auto* e = reinterpret_cast<TEntity*>(combo->currentData().value<quintptr>());
    if (e && s.Entities.IndexOfObject(e) >= 0)
      SetCurrentEntity(e);
    break;
  }
  }
}

void TObjectEditor::NameBoxExit(int box)
{
  CommitName(box);
}

void TObjectEditor::CommitName(int box)
{
  QComboBox* combo = NameBoxes[size_t(box)];
  const QString typed = combo->currentText();
  const QString selected = combo->currentIndex() >= 0 ? combo->itemText(combo->currentIndex()) : QString();
  // Name boxes rename whether or not edits are enabled: they need a current
  // object instead.
  if (typed == selected || !DrawingSurface || FCommitting)
    return;
  const TFlagGuard committing(FCommitting);
  TDrawingSurface& s = *DrawingSurface;
  // Renames through `rename` unless `refusal` says why not; either way the
  // box shows the object's real name afterwards.
  const auto renameIn = [&](auto& list, auto* current, const QString& refusal,
                            void (TDiagram::*rename)(int, const QString&)) {
    const int pos = current ? list.IndexOfObject(current) : -1;
    if (pos < 0)
      return false;
    if (refusal.isEmpty())
      (s.*rename)(pos, typed);
    else
      ShowLater(refusal);
    FillNameBox(combo, list.Texts(), &list.Strings(pos));
    return true;
  };
  switch (box) {
  case 1:
    if (!CurrentEntity ||
        !renameIn(s.Entities, CurrentEntity, EntityNameRefusal(s, *CurrentEntity, typed), &TDiagram::RenameEntity))
      return;
    CurrentEntity->Repaint();
    {
      const TFlagGuard filling(EditsEnabled, false);
      TableName->setText(CurrentEntity->TableName());
    }
    break;
  case 2:
    renameIn(s.Domains, CurrentDomain, DomainNameRefusal(typed), &TDiagram::RenameDomain);
    break;
  case 4:
    if (CurrentRelation)
      renameIn(s.Relations, CurrentRelation, RelationNameRefusal(s, *CurrentRelation, typed),
               &TDiagram::RenameRelation);
    break;
  case 5: renameIn(s.Labels, CurrentText, QString(), &TDiagram::RenameLabel); break;
  case 7: renameIn(s.ServerProcs, CurrentProcess, ProcessNameRefusal(typed), &TDiagram::RenameServerProc); break;
  case 3:
  case 9:
  case 8: {
    if (!CurrentEntity || s.Entities.IndexOfObject(CurrentEntity) < 0)
      return;
    if (box == 8) {
      CurrentEntity->EditFormCaption = typed;
      FillEntityBox(combo, [](const TEntity& e) { return e.EditFormCaption; });
    } else {
      CurrentEntity->SetTableName(typed);
      FillEntityBox(combo, [](const TEntity& e) { return e.TableName(); });
    }
    break;
  }
  default: break;
  }
}

void TObjectEditor::ShowLater(const QString& text)
{
  QTimer::singleShot(0, this, [this, text] {
    if (DrawingSurface)
      DrawingSurface->Messages().Error(text);
  });
}

void TObjectEditor::CommitField(const std::function<void()>& write)
{
  if (!BeginCommit())
    return;
  const TFlagGuard committing(FCommitting);
  write();
}

void TObjectEditor::FillEntityBox(QComboBox* box, QString (*text)(const TEntity&))
{
  struct TEntry {
    QString Text;
    TEntity* Entity;
  };
  std::vector<TEntry> entries;
  if (DrawingSurface)
    for (TEntity* e : DrawingSurface->Entities)
      entries.push_back({text(*e), e});
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TEntry& a, const TEntry& b) { return LessIgnoringCase(a.Text, b.Text); });
  const QSignalBlocker block(box);
  box->clear();
  int current = -1;
  for (const TEntry& entry : entries) {
    if (entry.Entity == CurrentEntity)
      current = box->count();
    box->addItem(entry.Text, QVariant::fromValue(reinterpret_cast<quintptr>(entry.Entity)));
  }
  box->setCurrentIndex(current);
  if (current < 0)
    box->setEditText(QString());
}

// ---- Entities page -------------------------------------------------------------------

void TObjectEditor::Memo1Change()
{
  CommitAttributeLines(Memo1, true);
}

void TObjectEditor::Memo2Change()
{
  CommitAttributeLines(Memo2, false);
}

void TObjectEditor::CommitAttributeLines(TMemo* memo, bool key)
{
  if (!BeginCommit() || !CurrentEntity)
    return;
  const TFlagGuard committing(FCommitting);
  const TAttributeLinesResult result = ApplyAttributeLines(*CurrentEntity, key, memo->Lines());
  if (result.Refused || result.DroppedLine >= 0) {
    // The memo and the entity stay line for line in step: a dropped line
    // leaves the caret where it was, a line put back for a carried-in
    // attribute leaves it at the end of the caret's line.
    const int line = result.Refused ? memo->textCursor().blockNumber() : result.DroppedLine;
    memo->SetLines(result.Lines);
    QTextCursor cursor = memo->textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, line);
    if (result.Refused)
      cursor.movePosition(QTextCursor::EndOfBlock);
    memo->setTextCursor(cursor);
  } else if (result.Replaced) {
    // The same lines with the characters a name cannot hold replaced: the
    // caret stays where it was.
    const int position = memo->textCursor().position();
    memo->SetLines(result.Lines);
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(std::min(position, memo->document()->characterCount() - 1));
    memo->setTextCursor(cursor);
  }
  CurrentEntity->Repaint();
  FillAttributePicker(ComboBox6->currentIndex());
}

void TObjectEditor::FillAttributePicker(int position)
{
  const TEntity& e = *CurrentEntity;
  {
    const QSignalBlocker block(ComboBox6);
    ComboBox6->clear();
    ComboBox6->addItems(e.PrimaryKey.Texts() + e.Attributes.Texts());
    ComboBox6->setCurrentIndex(position >= 0 && position < ComboBox6->count() ? position
                               : ComboBox6->count() > 0 ? 0
                                                        : -1);
  }
  ShowPickedAttributeDescription();
}

namespace {
TAttribute* FindAttribute(const TEntity& e, const QString& name)
{
  if (TAttribute* a = e.PrimaryKey.Find(name))
    return a;
  return e.Attributes.Find(name);
}
}  // namespace

void TObjectEditor::ShowPickedAttributeDescription()
{
  const TAttribute* a = CurrentEntity ? FindAttribute(*CurrentEntity, ComboBox6->currentText()) : nullptr;
  EntityAttrDesc->SetLines(a ? a->Description : QStringList());
}

void TObjectEditor::ComboBox6Change()
{
  if (CurrentEntity && PageObjectValid())
    ShowPickedAttributeDescription();
}

void TObjectEditor::EntityAttrDescChange()
{
  CommitField([this] {
    if (!CurrentEntity || ComboBox6->currentIndex() < 0)
      return;
    if (TAttribute* a = FindAttribute(*CurrentEntity, ComboBox6->currentText()))
      a->Description = EntityAttrDesc->Lines();
  });
}

void TObjectEditor::RepaintEntity()
{
  if (CurrentEntity)
    CurrentEntity->Repaint();
}

// ---- New and Delete -----------------------------------------------------------------

void TObjectEditor::NewEntityButtonClick()
{
  if (!DrawingSurface)
    return;
  auto entity = std::make_unique<TEntity>();
  const int at = 20 * DrawingSurface->Entities.Count();
  entity->SetPosition(at, at);
  TEntity* e = DrawingSurface->AddEntity(std::move(entity));
  e->Repaint();
  SetCurrentEntity(e);
}

void TObjectEditor::NewDomainButtonClick()
{
  if (DrawingSurface)
    SetCurrentDomain(DrawingSurface->AddDomain(std::make_unique<TDomain>()));
}

void TObjectEditor::NewTextButtonClick()
{
  if (!DrawingSurface)
    return;
  auto label = std::make_unique<TTextLabel>();
  const int at = 20 * DrawingSurface->Labels.Count();
  label->SetPosition(at, at);
  label->Transparent = true;
  TTextLabel* l = DrawingSurface->AddLabel(std::move(label));
  l->Repaint();
  SetCurrentText(l);
}

void TObjectEditor::NewProcButtonClick()
{
  if (DrawingSurface)
    SetCurrentProcess(DrawingSurface->AddServerProc(std::make_unique<TServerProc>()));
}

void TObjectEditor::DeleteButtonClick(int page)
{
  if (!DrawingSurface)
    return;
  TDrawingSurface& s = *DrawingSurface;
  const auto drop = [&](auto& list, auto*& current, void (TDiagram::*remove)(int)) {
    const int pos = current ? list.IndexOfObject(current) : -1;
    if (pos >= 0)
      (s.*remove)(pos);
    current = nullptr;
  };
  switch (page) {
  case pgEntities: drop(s.Entities, CurrentEntity, &TDiagram::DeleteEntity); break;
  case pgRelations: drop(s.Relations, CurrentRelation, &TDiagram::DeleteRelation); break;
  case pgDomains: drop(s.Domains, CurrentDomain, &TDiagram::DeleteDomain); break;
  case pgText: drop(s.Labels, CurrentText, &TDiagram::DeleteLabel); break;
  case pgProcesses: drop(s.ServerProcs, CurrentProcess, &TDiagram::DeleteServerProc); break;
  default: return;
  }
  NameBoxes[size_t(BoxOfPage(page))]->setEditText(QString());
  LoadPage();
}

// ---- Window events ------------------------------------------------------------------

void TObjectEditor::FormDeactivate()
{
  QWidget* focus = QApplication::focusWidget();
  if (!focus || !isAncestorOf(focus))
    focus = focusWidget();
  if (!focus)
    return;
  for (int box = 1; box <= 9; ++box) {
    QComboBox* combo = NameBoxes[size_t(box)];
    if (box != 6 && combo && (focus == combo || focus == combo->lineEdit())) {
      NameBoxExit(box);
      return;
    }
  }
  if (focus == ColumnTypeCombo) {
    ColumnTypeComboExit();
  } else if (focus == DisplayTypeCombo) {
    DisplayTypeComboExit();
  } else {
    for (TEditGrid* grid : {StringGrid1, StringGrid2, StringGrid3})
      if (focus == grid || grid->isAncestorOf(focus)) {
        const int page = grid == StringGrid1 ? pgTables : grid == StringGrid2 ? pgForms : pgIndexes;
        NameBoxes[size_t(BoxOfPage(page))]->setFocus();
      }
  }
}

void TObjectEditor::changeEvent(QEvent* event)
{
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !isActiveWindow())
    FormDeactivate();
}

void TObjectEditor::resizeEvent(QResizeEvent* event)
{
  QWidget::resizeEvent(event);
  if (width() < kMinWidth || height() < kMinHeight)
    resize(qMax(width(), kMinWidth), qMax(height(), kMinHeight));
}

bool TObjectEditor::eventFilter(QObject* watched, QEvent* event)
{
  const QVariant box = watched->property("nameBox");
  if (box.isValid()) {
    if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
      NameBoxExit(box.toInt());
    else if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        NameBoxExit(box.toInt());
        return true;
      }
    }
    return false;
  }
  if (watched == ColumnTypeCombo || watched == DisplayTypeCombo) {
    auto* picker = static_cast<QComboBox*>(watched);
    TEditGrid* grid = picker == ColumnTypeCombo ? StringGrid1 : StringGrid2;
    if (event->type() == QEvent::FocusIn) {
      // Tab leaves the picker for the next control, not for the grid.
      grid->setFocusPolicy(Qt::ClickFocus);
    } else if (event->type() == QEvent::FocusOut &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      picker == ColumnTypeCombo ? ColumnTypeComboExit() : DisplayTypeComboExit();
    } else if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        grid->setFocusPolicy(Qt::StrongFocus);
        grid->setFocus();
        picker->hide();
        return true;
      }
      if (key == Qt::Key_Escape) {
        CancelPicker(grid, picker);
        return true;
      }
    }
    return false;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace veska
