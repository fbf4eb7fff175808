#include "dialogs/ObjectEditor.h"

#include "dialogs/EditorWidgets.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QResizeEvent>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace veska {

const QStringList TObjectEditor::PageNames = {
    QStringLiteral("Entities"), QStringLiteral("Relations"), QStringLiteral("Tables"), QStringLiteral("Domains"),
    QStringLiteral("Text"),     QStringLiteral("Processes"), QStringLiteral("Forms"),  QStringLiteral("Indexes")};

namespace {
constexpr int kMinWidth = 380;
constexpr int kMinHeight = 300;
}  // namespace

TObjectEditor::TObjectEditor(QWidget* parent) : QWidget(parent, Qt::Window)
{
  setObjectName(QStringLiteral("ObjectEditor"));
  setWindowTitle(QStringLiteral("Veska - Objects Editor"));
  setMinimumSize(kMinWidth, kMinHeight);
  resize(560, 460);
  MakePages();
  MakeTabStrip();

  // The status line takes only the room the tabs leave, so that a message
  // never squeezes them; a message that does not fit is cut off.
  statusLine = new QLabel;
  statusLine->setObjectName(QStringLiteral("statusLine"));
  statusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusLine->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  auto* bottom = new QHBoxLayout;
  bottom->setContentsMargins(0, 0, 0, 0);
  bottom->addWidget(tabStrip);
  bottom->addWidget(statusLine, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  layout->addWidget(FPageStack, 1);
  layout->addLayout(bottom);

  FReload = new QTimer(this);
  FReload->setSingleShot(true);
  FReload->setInterval(0);
  connect(FReload, &QTimer::timeout, this, &TObjectEditor::LoadPage);
  ShowPage(pgEntities);
}

TObjectEditor::~TObjectEditor()
{
  // The pages go while the window is whole: closing a top-level window takes
  // the focus from its focused control, whose handlers reach the window.
  delete FPageStack;
  FPageStack = nullptr;
  FPages = {};
}

void TObjectEditor::MakePages()
{
  FPages = {new TEntitiesPage(*this), new TRelationsPage(*this), new TTablesPage(*this),
            new TDomainsPage(*this),  new TTextPage(*this),      new TProcessesPage(*this),
            new TFormsPage(*this),    new TIndexesPage(*this)};
  FPageStack = new QStackedWidget;
  FPageStack->setObjectName(QStringLiteral("pageStack"));
  for (TEditorPage* page : FPages) {
    // The buttons at the right of each page's bar keep 8 pixels from its edge.
    page->layout()->setContentsMargins(8, 8, 8, 8);
    FPageStack->addWidget(page);
  }
}

void TObjectEditor::MakeTabStrip()
{
  // Every page has a tab but "Processes", which opens only for a process;
  // its tab is kept invisible so that no visible tab is selected then.
  tabStrip = new QTabBar;
  tabStrip->setObjectName(QStringLiteral("tabStrip"));
  tabStrip->setShape(QTabBar::RoundedSouth);
  tabStrip->setExpanding(false);
  tabStrip->setFocusPolicy(Qt::NoFocus);
  for (const QString& name : PageNames)
    tabStrip->addTab(name);
  tabStrip->setTabVisible(pgProcesses, false);
  connect(tabStrip, &QTabBar::tabBarClicked, this, [this](int tab) {
    if (tab >= 0)
      TabClicked(tab);
  });
  // Ctrl+Page Down and Ctrl+Page Up step through the tabs.
  for (const auto& [key, step] : {std::pair{Qt::Key_PageDown, 1}, std::pair{Qt::Key_PageUp, -1}}) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | key), this);
    connect(shortcut, &QShortcut::activated, this, [this, step = step] { StepTab(step); });
  }
}

void TObjectEditor::SetSettingsNames(const QStringList& dataTypes, const QStringList& servers)
{
  Tables()->SetDataTypeNames(dataTypes);
  Processes()->SetServerNames(servers);
}

TEntitiesPage* TObjectEditor::Entities() const { return static_cast<TEntitiesPage*>(FPages[pgEntities]); }
TRelationsPage* TObjectEditor::Relations() const { return static_cast<TRelationsPage*>(FPages[pgRelations]); }
TTablesPage* TObjectEditor::Tables() const { return static_cast<TTablesPage*>(FPages[pgTables]); }
TDomainsPage* TObjectEditor::Domains() const { return static_cast<TDomainsPage*>(FPages[pgDomains]); }
TTextPage* TObjectEditor::Text() const { return static_cast<TTextPage*>(FPages[pgText]); }
TProcessesPage* TObjectEditor::Processes() const { return static_cast<TProcessesPage*>(FPages[pgProcesses]); }
TFormsPage* TObjectEditor::Forms() const { return static_cast<TFormsPage*>(FPages[pgForms]); }
TIndexesPage* TObjectEditor::Indexes() const { return static_cast<TIndexesPage*>(FPages[pgIndexes]); }

// ---- Pages and tabs ------------------------------------------------------------------

int TObjectEditor::ActivePage() const
{
  return FPageStack->currentIndex();
}

void TObjectEditor::ShowPage(int page)
{
  if (page < 0 || page >= pgCount)
    return;
  FPageStack->setCurrentIndex(page);
  {
    const QSignalBlocker block(tabStrip);
    tabStrip->setCurrentIndex(page);
  }
  LoadPage();
}

void TObjectEditor::StepTab(int step)
{
  const int count = tabStrip->count();
  for (int i = 1; i < count; ++i) {
    const int tab = ((ActivePage() + step * i) % count + count) % count;
    if (tabStrip->isTabVisible(tab)) {
      tabStrip->setCurrentIndex(tab);
      TabClicked(tab);
      return;
    }
  }
}

void TObjectEditor::TabClicked(int tab)
{
  FPageStack->setCurrentIndex(tab);
  FPages[size_t(tab)]->NameBox()->setFocus();
  LoadPage();
}

void TObjectEditor::LoadPage()
{
  for (TEditorPage* page : FPages)
    page->StopEdits();
  statusLine->clear();
  FPages[size_t(ActivePage())]->Load();
}

// ---- Current objects -----------------------------------------------------------------

template <typename T>
void TObjectEditor::MakeCurrent(int page, T*& current, T* object)
{
  if (ActivePage() == page)
    FPages[size_t(page)]->NameBox()->setFocus();
  current = object;
  LoadPage();
}

void TObjectEditor::SetCurrentDomain(TDomain* domain)
{
  MakeCurrent(pgDomains, CurrentDomain, domain);
}

void TObjectEditor::SetCurrentEntity(TEntity* entity)
{
  MakeCurrent(pgEntities, CurrentEntity, entity);
}

void TObjectEditor::SetCurrentRelation(TRelation* relation)
{
  MakeCurrent(pgRelations, CurrentRelation, relation);
}

void TObjectEditor::SetCurrentText(TTextLabel* label)
{
  MakeCurrent(pgText, CurrentText, label);
}

void TObjectEditor::SetCurrentProcess(TServerProc* process)
{
  MakeCurrent(pgProcesses, CurrentProcess, process);
}

void TObjectEditor::ObjectRemoving(const void* object)
{
  const auto forget = [object](auto*& current) {
    if (!object || object == current)
      current = nullptr;
  };
  forget(CurrentEntity);
  forget(CurrentRelation);
  forget(CurrentDomain);
  forget(CurrentText);
  forget(CurrentProcess);
  // The page may show what the removal changes (names, carried attributes):
  // edits stop now and the page is shown anew once the model has settled.
  for (TEditorPage* page : FPages)
    page->StopEdits();
  FReload->start();
}

// ---- Window events -------------------------------------------------------------------

void TObjectEditor::FormDeactivate()
{
  QWidget* focus = QApplication::focusWidget();
  if (!focus || !isAncestorOf(focus))
    focus = focusWidget();
  if (!focus)
    return;
  for (TEditorPage* page : FPages)
    if (page->isAncestorOf(focus)) {
      page->EndEdit(focus);
      return;
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

}  // namespace veska
