#include "shell/MainWindow.h"

#include "arrange/Arrange.h"
#include "appgen/AppExpert.h"
#include "tablebuild/ServerDefinitions.h"
#include "dialogs/BuildFormDlg.h"
#include "dialogs/BuildTableDlg.h"
#include "dialogs/FilterDlg.h"
#include "dialogs/FindDlg.h"
#include "dialogs/ObjectEditor.h"
#include "dialogs/PrintDlg.h"
#include "dialogs/ProgressWindow.h"
#include "dialogs/SetupDlg.h"
#include "platform/TextMeasurer.h"
#include "shell/DiagramView.h"
#include "shell/HelpWindow.h"
#include "shell/PopupMenus.h"
#include "shell/PrintCommands.h"
#include "shell/ReOpenDlg.h"
#include "shell/ReportCommands.h"
#include "shell/Settings.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace veska {

namespace {

// The diagram is drawn at the 96 pixels per inch the text measurer uses.
constexpr int kPixelsPerInch = 96;

const QString kZoomRefused =
    QStringLiteral("The diagram is not zoomed in further: it would be 32767 pixels wide or high.");

}  // namespace

// ---- About box ---------------------------------------------------------------------

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About Veska"));
  auto* layout = new QVBoxLayout(this);
  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("ProgramIcon"));
  picture->setPixmap(ProgramPicture(QSize(240, 180), devicePixelRatioF()));
  picture->setFrameShape(QFrame::Panel);
  picture->setFrameShadow(QFrame::Sunken);
  layout->addWidget(picture, 0, Qt::AlignHCenter);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

// ---- Construction ------------------------------------------------------------------

TSDIAppForm::TSDIAppForm(TSettings& settings, TMessageService& messages, TFileDialogs& fileDialogs, QWidget* parent)
    : QMainWindow(parent),
      FSettings(settings),
      FUserSettings(TSettings::UserSettingsFile()),
      FMessages(messages),
      FFileDialogs(fileDialogs),
      FSurface(std::make_unique<TDrawingSurface>(messages, TQtTextMeasurer::Instance())),
      FDocument(std::make_unique<TDiagramDocument>(*FSurface, messages, fileDialogs))
{
  setObjectName(QStringLiteral("SDIAppForm"));
  FSurface->Width = 8 * kPixelsPerInch;
  FSurface->Height = 10 * kPixelsPerInch;
  // Default names carry the revision from the first object on, as after
  // every New or Open.
  FSurface->Revision = QStringLiteral("0");

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  SpeedPanel = new QWidget(central);
  SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
  SpeedPanel->setFixedHeight(30);
  layout->addWidget(SpeedPanel);
  ScrollBox1 = new QScrollArea(central);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  // The diagram is white (the view paints it); the scroll box shows grey
  // beyond its edge, so that the user sees where the diagram ends and that a
  // click there lands on nothing.
  ScrollBox1->setBackgroundRole(QPalette::Base);
  const QColor beyondColor(160, 160, 160);
  QPalette beyond = ScrollBox1->viewport()->palette();
  beyond.setColor(QPalette::Base, beyondColor);
  beyond.setColor(QPalette::Window, beyondColor);
  ScrollBox1->viewport()->setPalette(beyond);
  FView = new TDiagramView(*FSurface);
  FView->setObjectName(QStringLiteral("DrawingSurface"));
  FView->OnDeleteKey = [this] { DeleteCurrentItemClick(); };
  FView->OnZoomWheel = [this](int notches, QPoint at) {
    // The pointer stays where it is on the screen while the diagram grows
    // or shrinks under it.
    const QPoint pointer = FView->mapTo(ScrollBox1->viewport(), at);
    for (int i = 0; i < qAbs(notches); ++i) {
      if (notches > 0)
        ZoomAround(5, 4, pointer);
      else
        ZoomAround(4, 5, pointer);
    }
  };
  ScrollBox1->setWidget(FView);
  layout->addWidget(ScrollBox1, 1);
  setCentralWidget(central);

  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("StatusBar"));
  status->setFixedHeight(22);
  setStatusBar(status);
  FCountsLabel = new QLabel(status);
  FCountsLabel->setObjectName(QStringLiteral("CountsLabel"));
  status->addPermanentWidget(FCountsLabel);
  FZoomLabel = new QLabel(status);
  FZoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
  status->addPermanentWidget(FZoomLabel);
  FView->OnSizeSynced = [this] { ShowZoom(); };
  // Objects come and go with a drawing change.
  FView->OnInvalidated = [this] { ScheduleObjectsUpdate(); };
  ShowZoom();
  ShowCounts();

  FLoadProgress = std::make_unique<TWindowProgress>(this);
  // A diagram half read is not painted: its entities are laid out and its
  // relations routed only when the reading ends.
  FLoadProgress->OnBusy = [this](bool busy) { FView->setUpdatesEnabled(!busy); };
  FDocument->SetLoadProgress(FLoadProgress.get());

  FPopups = std::make_unique<TPopupMenus>(*this);
  BuildMenus();
  BuildSpeedPanel();
  ConnectSurface();
  ConnectDocument();
  UpdateExportItem();

  FSurface->DiagramName = TDiagramDocument::NewDiagramName;
  SetTitle();

  // The dialogs live as long as the window and keep their states between
  // uses. The objects editor is a tool window of this one, so that it stays
  // above the main window while the user works on the diagram.
  ObjectEditor = new TObjectEditor(this);
  ObjectEditor->setWindowFlags(Qt::Tool);
  ObjectEditor->SetSettingsNames(ReadDataTypes(FSettings.Ini()), ReadServers(FSettings.Ini()));
  ObjectEditor->DrawingSurface = FSurface.get();
  AboutBox = new TAboutBox(this);
  SetupDlg = new TSetupDlg(kPixelsPerInch, this);
  PrintDlg = new TPrintDlg(this);
  FPrinting = std::make_unique<TPrintCommands>(*this, *FSurface, *FView, *PrintDlg, FMessages, FFileDialogs);
  ReOpenDlg = new TReOpenDlg(FSettings, this, &FMessages);
  FilterDlg = new TFilterDlg(this);
  FindDlg = new TFindDlg(this);
  HelpWindow = new THelpWindow(FSettings.HelpDirectory(), this);
  ReportDlg = new TReportDlg(this);
  // The data types are read once, when the dialog is made.
  ValidateDlg = new TValidateDlg(ReadDataTypes(FSettings.Ini()), this);
  BuildTableDlg = new TBuildTableDlg(FSettings.Ini(), FMessages, this);
  BuildTableDlg->SetUserSettings(&FUserSettings);
  BuildFormDlg = new TBuildFormDlg(FMessages, this);
  ShowReportDlg = new TShowReportDlg(FMessages, this);
  ShowReportDlg->AskPdfFileName = [this](const QString& title, const QString& filter) {
    return FFileDialogs.SaveFileName(title, filter, QString());
  };
}

TSDIAppForm::~TSDIAppForm()
{
  // The reopen dialog writes the recent-file list back when it is destroyed
  // and may report a failure over this window, so it goes while the window is
  // whole. The view and the listeners go before the surface (see
  // FListeners), and the surface before the window's other children.
  delete ReOpenDlg;
  ReOpenDlg = nullptr;
  ObjectEditor->DrawingSurface = nullptr;
  delete ScrollBox1;
  FView = nullptr;
}

QAction* TSDIAppForm::AddItem(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                              std::function<void()> action, const QKeySequence& shortcut)
{
  QAction* item = menu->addAction(caption);
  item->setObjectName(QString::fromLatin1(name));
  item->setStatusTip(hint);
  if (!shortcut.isEmpty())
    item->setShortcut(shortcut);
  connect(item, &QAction::triggered, this, [action = std::move(action)] { action(); });
  return item;
}

void TSDIAppForm::BuildMenus()
{
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  AddItem(file, "NewItem", QStringLiteral("&New"), QStringLiteral("Create a new diagram"), [this] { NewItemClick(); },
          QKeySequence(Qt::CTRL | Qt::Key_N));
  AddItem(file, "OpenItem", QStringLiteral("&Open..."), QStringLiteral("Open a file"), [this] { OpenItemClick(); },
          QKeySequence(Qt::CTRL | Qt::Key_O));
  AddItem(file, "ReopenItem", QStringLiteral("&Reopen"), QStringLiteral("Reopen a file"), [this] { ReopenItemClick(); },
          QKeySequence(Qt::CTRL | Qt::Key_R));
  AddItem(file, "MergeItem", QStringLiteral("&Merge..."), QStringLiteral("Merge a file to current diagram"),
          [this] { MergeItemClick(); }, QKeySequence(Qt::CTRL | Qt::Key_M));
  AddItem(file, "SaveItem", QStringLiteral("&Save..."), QStringLiteral("Save current file"),
          [this] { FDocument->Save(); }, QKeySequence(Qt::CTRL | Qt::Key_S));
  AddItem(file, "SaveAsItem", QStringLiteral("Save &As..."), QStringLiteral("Save to a new file"),
          [this] { FDocument->SaveAs(); });
  FExportItem = AddItem(file, "ExportItem", QStringLiteral("Export..."),
                        QStringLiteral("Export the whole diagram as PDF, SVG or PNG"),
                        [this] { FPrinting->Export(FDocument->FileName()); });
  connect(file, &QMenu::aboutToShow, this, [this] { UpdateExportItem(); });
  file->addSeparator();
  AddItem(file, "PrintItem", QStringLiteral("&Print"), QStringLiteral("Print diagram"),
          [this] { FPrinting->Print(VisibleCentre()); }, QKeySequence(Qt::CTRL | Qt::Key_P));
  AddItem(file, "PrintSetupItem", QStringLiteral("Pr&int Setup"), QStringLiteral("Setup Printer Options"),
          [this] { FPrinting->PrintSetup(); });
  file->addSeparator();
  AddItem(file, "ExitItem", QStringLiteral("E&xit"), QStringLiteral("Exit application"), [this] { close(); },
          QKeySequence(Qt::ALT | Qt::Key_X));

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  AddItem(edit, "AddDomainItem", QStringLiteral("Add D&omain"), QStringLiteral("Add a new domain"),
          [this] { AddDomainItemClick(); });
  AddItem(edit, "AddEntityItem", QStringLiteral("Add &Entity"), QStringLiteral("Add a new entity"),
          [this] { ChooseTool(dtEntity); });
  QMenu* relation = edit->addMenu(QStringLiteral("Add &Relation"));
  relation->setObjectName(QStringLiteral("AddRelationItem"));
  AddItem(relation, "OneToManyItem", QStringLiteral("OneTo&Many"),
          QStringLiteral("Add a new one to many foreign key relation"),
          [this] { ChooseTool(dtRelationOneToManyForeign); });
  AddItem(relation, "OneToOneItem", QStringLiteral("OneTo&One"),
          QStringLiteral("Add a new one to one foreign key relation"),
          [this] { ChooseTool(dtRelationOneToOneForeign); });
  AddItem(edit, "AddProcessItem", QStringLiteral("Add Proce&ss"), QStringLiteral("Add a new Process"),
          [this] { AddProcessItemClick(); });
  AddItem(edit, "AddTextItem", QStringLiteral("Add &Text"), QStringLiteral("Add a new Text label"),
          [this] { ChooseTool(dtLabel); });
  edit->addSeparator();
  AddItem(edit, "DeleteCurrentItem", QStringLiteral("Delete &Current"), QStringLiteral("Delete selected object"),
          [this] { DeleteCurrentItemClick(); });
  AddItem(edit, "DeleteItem", QStringLiteral("&Delete"), QStringLiteral("Delete an object"),
          [this] { DeleteItemClick(); });
  AddItem(edit, "PointerItem", QStringLiteral("&Pointer"), QStringLiteral("Clear selected tool"),
          [this] { ChooseTool(dtPointer); });
  // These keys act on the diagram only while the focus is in this window:
  // in the objects editor (a tool window of this one) they belong to its
  // fields and grids.
  const auto diagramKeys = [this](QAction* item, const QList<QKeySequence>& keys) {
    item->setShortcuts(keys);
    item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(item);
  };
  diagramKeys(AddItem(edit, "SelectAllItem", QStringLiteral("Select &All"), QStringLiteral("Select all entities"),
                      [this] { FSurface->SelectAllEntities(); }),
              {QKeySequence(Qt::CTRL | Qt::Key_A)});
  diagramKeys(AddItem(edit, "UndoItem", QStringLiteral("&Undo"), QString(), [this] { FDocument->Undo(); }),
              {QKeySequence(Qt::CTRL | Qt::Key_Z)});
  edit->addSeparator();
  // Ctrl+= as well, for keyboards on which "+" needs Shift.
  diagramKeys(AddItem(edit, "ZoomInItem", QStringLiteral("Zoom &In"), QStringLiteral("Zoom in the diagram"),
                      [this] { ZoomIn(); }),
              {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  diagramKeys(AddItem(edit, "ZoomOutItem", QStringLiteral("Zoom &Out"), QStringLiteral("Zoom out the diagram"),
                      [this] { ZoomOut(); }),
              {QKeySequence(Qt::CTRL | Qt::Key_Minus)});

  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  QMenu* mode = options->addMenu(QStringLiteral("Display &Mode"));
  mode->setObjectName(QStringLiteral("DisplayModeItem"));
  // The current display mode carries a check mark; only these items change
  // the mode.
  auto* modes = new QActionGroup(this);
  const auto addMode = [this, mode, modes](const char* name, const QString& caption, const QString& hint,
                                           TEntityDisplayMode m) {
    QAction* item = AddItem(mode, name, caption, hint, [this, m] { FSurface->SetEntityDisplayMode(m); });
    item->setCheckable(true);
    item->setChecked(FSurface->EntityDisplayMode == m);
    modes->addAction(item);
  };
  addMode("AttributesItem", QStringLiteral("&Attributes"), QStringLiteral("Display entity attributes only"),
          emAttributes);
  addMode("PrimaryKeyItem", QStringLiteral("&PrimaryKey"), QStringLiteral("Display entity primary key only"),
          emPrimaryKey);
  addMode("EntityItem", QStringLiteral("&Entity"), QStringLiteral("Display entity name only"), emName);
  addMode("SchemaItem", QStringLiteral("&Schema"), QStringLiteral("Display generic schema"), emSchema);
  AddItem(options, "DisplayViewItem", QStringLiteral("Display &View"), QStringLiteral("Select items to be displayed"),
          [this] { DisplayViewItemClick(); });
  AddItem(options, "SetupItem", QStringLiteral("Diagram &Setup"), QStringLiteral("Setup diagram parameters"),
          [this] { SetupItemClick(); });
  AddItem(options, "FontItem", QStringLiteral("&Font"), QStringLiteral("Set up diagram fonts"),
          [this] { FontItemClick(); });
  AddItem(options, "ShowLabels1", QStringLiteral("Hide &Labels"), QStringLiteral("Show/Hide relationship labels"),
          [this] { ShowLabelsClick(); });
  AddItem(options, "ArrangeItem", QStringLiteral("&Arrange"), QStringLiteral("Lay out the diagram automatically"),
          [this] { ArrangeItemClick(); }, QKeySequence(Qt::CTRL | Qt::Key_L));

  QMenu* report = menuBar()->addMenu(QStringLiteral("&Report"));
  AddItem(report, "EntityListItem", QStringLiteral("&Entity List"), QStringLiteral("Generate entity report"),
          [this] { EntityListItemClick(); });
  AddItem(report, "ConsistencyItem", QStringLiteral("&Consistency Check"),
          QStringLiteral("Generate consistency check report"), [this] { ConsistencyItemClick(); });
  QMenu* build = menuBar()->addMenu(QStringLiteral("&Build"));
  AddItem(build, "DatabaseItem", QStringLiteral("&Database"), QStringLiteral("Create Database from Model"),
          [this] { DatabaseBuildItemClick(); });
  AddItem(build, "FormsBuildItem", QStringLiteral("&Forms"), QStringLiteral("Create Application Forms from Model"),
          [this] { FormsBuildItemClick(); });
  build->addSeparator();
  AddItem(build, "ReEngineerItem", QStringLiteral("&ReEngineer"), QStringLiteral("Reverse Engineer an Existing Database"),
          [this] { ReEngineerItemClick(); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  AddItem(help, "ContentItem", QStringLiteral("&Content"), QStringLiteral("Show Help Content"),
          [this] { HelpWindow->ShowContents(); });
  AddItem(help, "SearchItem", QStringLiteral("&Search"), QStringLiteral("Search Help on a Topic"),
          [this] { HelpWindow->ShowSearch(QString()); });
  AddItem(help, "AboutItem", QStringLiteral("&About Veska"), QString(), [this] { AboutBox->exec(); });
}

QToolButton* TSDIAppForm::AddButton(const char* name, int x, const QString& hint, TToolIcon icon,
                                    std::function<void()> action)
{
  auto* button = new QToolButton(SpeedPanel);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(x, 2, 25, 25);
  button->setIcon(ToolIcon(icon));
  button->setIconSize(QSize(18, 18));
  button->setAutoRaise(true);
  const int bar = hint.indexOf(QLatin1Char('|'));
  button->setToolTip(bar < 0 ? hint : hint.left(bar));
  button->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
  connect(button, &QToolButton::clicked, this, [action = std::move(action)] { action(); });
  return button;
}

void TSDIAppForm::BuildSpeedPanel()
{
  AddButton("OpenBtn", 8, QStringLiteral("Open|Open a file"), TToolIcon::Open, [this] { OpenItemClick(); });
  AddButton("SaveBtn", 32, QStringLiteral("Save|Save current file"), TToolIcon::Save, [this] { FDocument->Save(); });
  AddButton("PrintBtn", 56, QStringLiteral("Print|Print diagram"), TToolIcon::Print,
            [this] { FPrinting->Print(VisibleCentre()); });
  AddButton("ExitBtn", 91, QStringLiteral("Exit|Exit application"), TToolIcon::Exit, [this] { close(); });

  // The drawing tools: exactly one is down.
  FToolGroup = new QButtonGroup(this);
  FToolGroup->setExclusive(true);
  const auto tool = [this](const char* name, int x, const QString& hint, TToolIcon icon, TDrawingTool t) {
    QToolButton* button = AddButton(name, x, hint, icon, [this, t] { ChooseTool(t); });
    button->setCheckable(true);
    FToolGroup->addButton(button, int(t));
  };
  tool("PointerBtn", 144, QStringLiteral("Pointer Tool|Cancel selected drawing tool"), TToolIcon::Pointer, dtPointer);
  tool("EntityBtn", 168, QStringLiteral("Entity Tool|Add a new entity"), TToolIcon::Entity, dtEntity);
  tool("RelationManyForeignBtn", 192,
       QStringLiteral("One to Many Foreign key Relation Tool|Add a new one to many foreign key relation"),
       TToolIcon::RelationManyForeign, dtRelationOneToManyForeign);
  tool("RelationOneForeignBtn", 216,
       QStringLiteral("One to One Foreign key Relation Tool|Add a new one to one foreign key relation"),
       TToolIcon::RelationOneForeign, dtRelationOneToOneForeign);
  tool("RelationManyMasterBtn", 240,
       QStringLiteral("One to Many Master detail Relation Tool|Add a new one to many master detail relation"),
       TToolIcon::RelationManyMaster, dtRelationOneToManyMaster);
  tool("RelationOneMasterBtn", 264,
       QStringLiteral("One to One Master detail Relation Tool|Add a new one to one master detail relation"),
       TToolIcon::RelationOneMaster, dtRelationOneToOneMaster);
  tool("TextBtn", 288, QStringLiteral("Text Tool|Add a new text label"), TToolIcon::Text, dtLabel);
  FToolGroup->button(int(dtPointer))->setChecked(true);

  AddButton("DeleteBtn", 320, QStringLiteral("Delete selected objects|Delete an object"), TToolIcon::Delete,
            [this] { DeleteCurrentItemClick(); });
  AddButton("ZoomOutBtn", 352, QStringLiteral("Zoom Out|Zoom out the diagram"), TToolIcon::ZoomOut,
            [this] { ZoomOut(); });
  AddButton("ZoomInBtn", 376, QStringLiteral("Zoom In|Zoom in the diagram"), TToolIcon::ZoomIn, [this] { ZoomIn(); });
}

void TSDIAppForm::ConnectSurface()
{
  TDrawingSurface& s = *FSurface;
  auto listen = [this](auto& notification, auto listener) {
    FListeners.push_back(notification.Add(std::move(listener)));
  };
  listen(s.OnDrawingToolChange, [this](TDrawingSurface& surface) {
    if (QAbstractButton* button = FToolGroup->button(int(surface.ActiveDrawingTool())))
      button->setChecked(true);
  });
  listen(s.OnRLabelVisibleChange, [this](TDrawingSurface& surface) {
    findChild<QAction*>(QStringLiteral("ShowLabels1"))
        ->setText(surface.RelationLabelVisible ? QStringLiteral("Hide &Labels") : QStringLiteral("Show &Labels"));
  });
  listen(s.OnEntityDblClick, [this](TEntity& entity) { EditEntity(&entity, TObjectEditor::pgEntities); });
  listen(s.OnRelationDblClick, [this](TRelation& relation) { EditRelation(&relation); });
  listen(s.OnLabelDblClick, [this](TTextLabel& label) { EditLabel(&label); });
  listen(s.OnObjectRemoving, [this](const void* object) {
    FView->ObjectRemoving(object);
    if (ObjectEditor)
      ObjectEditor->ObjectRemoving(object);
  });
}

void TSDIAppForm::ConnectDocument()
{
  TDiagramDocument& d = *FDocument;
  FListeners.push_back(d.OnClearing.Add([this] {
    FView->ReleaseCapture();
    FPopups->Forget();
  }));
  FListeners.push_back(d.OnLoaded.Add([this] { FView->SyncSize(); }));
  FListeners.push_back(d.OnSaved.Add([this](const QString& fileName) {
    FView->SyncSize();
    ReOpenDlg->AddFile(fileName);
  }));
  FListeners.push_back(d.OnFileNameChange.Add([this](const QString&) { SetTitle(); }));
}

// ---- The objects editor ------------------------------------------------------------

void TSDIAppForm::PlaceObjectEditor()
{
  constexpr int kMargin = 8;
  QWidget* viewport = ScrollBox1->viewport();
  const QRect area(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
  // Before the first showing the window frame is not known yet; the margin
  // leaves room for it.
  const QSize size = ObjectEditor->frameGeometry().size();
  QPoint at(area.right() + 1 - kMargin - size.width(), area.top() + kMargin);
  if (const QScreen* screen = this->screen()) {
    const QRect room = screen->availableGeometry();
    at.setX(qMax(room.left(), qMin(at.x(), room.right() + 1 - size.width())));
    at.setY(qMax(room.top(), qMin(at.y(), room.bottom() + 1 - size.height())));
  }
  ObjectEditor->move(at);
}

void TSDIAppForm::ShowObjectEditor(int page)
{
  ObjectEditor->ShowPage(page);
  // After its first showing the editor opens where the user left it.
  if (!FObjectEditorPlaced) {
    PlaceObjectEditor();
    FObjectEditorPlaced = true;
  }
  ObjectEditor->show();
  ObjectEditor->raise();
  ObjectEditor->activateWindow();
}

void TSDIAppForm::EditEntity(TEntity* entity, int page)
{
  ObjectEditor->DrawingSurface = FSurface.get();
  ObjectEditor->SetCurrentEntity(entity);
  ShowObjectEditor(page);
}

void TSDIAppForm::EditRelation(TRelation* relation)
{
  ObjectEditor->DrawingSurface = FSurface.get();
  ObjectEditor->SetCurrentRelation(relation);
  ShowObjectEditor(TObjectEditor::pgRelations);
}

void TSDIAppForm::EditLabel(TTextLabel* label)
{
  ObjectEditor->DrawingSurface = FSurface.get();
  ObjectEditor->SetCurrentText(label);
  ShowObjectEditor(TObjectEditor::pgText);
}

void TSDIAppForm::EditDomain(TDomain* domain)
{
  ObjectEditor->DrawingSurface = FSurface.get();
  if (domain)
    ObjectEditor->SetCurrentDomain(domain);
  ShowObjectEditor(TObjectEditor::pgDomains);
}

void TSDIAppForm::EditProcess(TServerProc* process)
{
  ObjectEditor->DrawingSurface = FSurface.get();
  if (process)
    ObjectEditor->SetCurrentProcess(process);
  ShowObjectEditor(TObjectEditor::pgProcesses);
}

void TSDIAppForm::ShowZoom()
{
  FZoomLabel->setText(QStringLiteral("%1%").arg(qRound(FSurface->ZoomFactor * 100)));
}

void TSDIAppForm::ShowCounts()
{
  const int entities = FSurface->Entities.Count();
  const int relations = FSurface->Relations.Count();
  FCountsLabel->setText(QStringLiteral("%1 %2, %3 %4")
                            .arg(entities)
                            .arg(entities == 1 ? QStringLiteral("entity") : QStringLiteral("entities"))
                            .arg(relations)
                            .arg(relations == 1 ? QStringLiteral("relation") : QStringLiteral("relations")));
}

void TSDIAppForm::SetTitle()
{
  setWindowTitle(QStringLiteral("Veska - ") + QFileInfo(FDocument->FileName()).fileName());
}

// ---- File and build commands ------------------------------------------------------

void TSDIAppForm::NewItemClick()
{
  if (FDocument->New())
    FView->update();
}

void TSDIAppForm::DatabaseBuildItemClick()
{
  BuildTableDlg->BuildModel = false;
  BuildTableDlg->SetDrawingSurface(FSurface.get());
  BuildTableDlg->exec();
}

void TSDIAppForm::FormsBuildItemClick()
{
  // The settings file is read anew, as every setting is.
  BuildFormDlg->LibraryFile = LibraryFilePath(FSettings.Ini(), FSettings.ProgramDirectory());
  // The saved diagram is never replaced by a generated file.
  BuildFormDlg->DiagramFile = FDocument->FileName();
  BuildFormDlg->SetDrawingSurface(FSurface.get());
  BuildFormDlg->exec();
  // The run gives a form without a caption one; an open editor shows it.
  if (ObjectEditor->isVisible())
    ObjectEditor->LoadPage();
}

void TSDIAppForm::ReEngineerItemClick()
{
  // The model read from the tables is a new diagram: a later Save must not
  // overwrite the file of the diagram just closed.
  if (!FDocument->New())
    return;
  BuildTableDlg->BuildModel = true;
  BuildTableDlg->SetDrawingSurface(FSurface.get());
  BuildTableDlg->exec();
  FView->SyncSize();
  // The boxes read start at the top left: show them, not the place where
  // the closed diagram was scrolled to.
  ScrollBox1->horizontalScrollBar()->setValue(0);
  ScrollBox1->verticalScrollBar()->setValue(0);
  FSurface->Repaint();
  FView->update();
}

void TSDIAppForm::OpenItemClick()
{
  const QString name =
      FFileDialogs.OpenFileName(QStringLiteral("Veska - Open Diagram"), TDiagramDocument::FileFilter);
  if (!name.isEmpty())
    FDocument->Open(name);
}

void TSDIAppForm::ReopenItemClick()
{
  if (ReOpenDlg->exec() != QDialog::Accepted)
    return;
  const QString name = ReOpenDlg->GetSelected();
  if (!name.isEmpty())
    FDocument->OpenNamed(name);
}

void TSDIAppForm::MergeItemClick()
{
  const QString name =
      FFileDialogs.OpenFileName(QStringLiteral("Veska - Open Diagram"), TDiagramDocument::FileFilter);
  if (!name.isEmpty())
    FDocument->Merge(name);
}

void TSDIAppForm::ScheduleObjectsUpdate()
{
  if (FObjectsUpdatePending)
    return;
  FObjectsUpdatePending = true;
  QTimer::singleShot(0, this, [this] {
    FObjectsUpdatePending = false;
    UpdateExportItem();
    ShowCounts();
  });
}

void TSDIAppForm::UpdateExportItem()
{
  FExportItem->setEnabled(HasDrawnObjects(*FSurface));
}

// ---- Edit and options commands -----------------------------------------------------

void TSDIAppForm::ChooseTool(TDrawingTool tool)
{
  if (tool != dtPointer)
    FDocument->Snapshot();
  FSurface->SetActiveDrawingTool(tool);
}

void TSDIAppForm::AddDomainItemClick()
{
  FDocument->Snapshot();
  FSurface->SetActiveDrawingTool(dtPointer);
  EditDomain(FSurface->AddDomain(std::make_unique<TDomain>()));
}

void TSDIAppForm::AddProcessItemClick()
{
  FDocument->Snapshot();
  FSurface->SetActiveDrawingTool(dtPointer);
  EditProcess(FSurface->AddServerProc(std::make_unique<TServerProc>()));
}

void TSDIAppForm::DeleteCurrentItemClick()
{
  FView->ReleaseCapture();
  FDocument->Snapshot();
  FSurface->DeleteSelected();
}

void TSDIAppForm::DeleteItemClick()
{
  FindDlg->setWindowTitle(QStringLiteral("Veska - Delete Object"));
  FindDlg->Prepare(*FSurface);
  if (FindDlg->exec() != QDialog::Accepted)
    return;
  FDocument->Snapshot();
  FView->ReleaseCapture();
  const QString& type = FindDlg->SelectedType;
  const int pos = FindDlg->SelectedIndex;
  const auto inRange = [pos](const auto& list) { return pos >= 0 && pos < list.Count(); };
  TDrawingSurface& s = *FSurface;
  if (type == QStringLiteral("Domain") && inRange(s.Domains))
    s.DeleteDomain(pos);
  else if (type == QStringLiteral("Entity") && inRange(s.Entities))
    s.DeleteEntity(pos);
  else if (type == QStringLiteral("Process") && inRange(s.ServerProcs))
    s.DeleteServerProc(pos);
  else if (type == QStringLiteral("Relation") && inRange(s.Relations))
    s.DeleteRelation(pos);
  else if (type == QStringLiteral("Text") && inRange(s.Labels))
    s.DeleteLabel(pos);
}

void TSDIAppForm::DisplayViewItemClick()
{
  FilterDlg->SetLists(FSurface->Entities.Texts(), FSurface->EntityView);
  if (FilterDlg->exec() == QDialog::Accepted)
    FSurface->SetEntityView(FilterDlg->SelectedNames());
}

void TSDIAppForm::EntityListItemClick()
{
  if (ReportDlg->exec() != QDialog::Accepted)
    return;
  SaveAndShowReport(TReportDlg::SaveTitle, TReportDlg::SaveFilter, ReportDlg->FileName, FFileDialogs, FMessages,
                    *ShowReportDlg, [this](const QString& fileName) {
                      WriteEntityReport(*FSurface, ReportDlg->Options(), fileName);
                    });
}

void TSDIAppForm::ConsistencyItemClick()
{
  if (ValidateDlg->exec() != QDialog::Accepted)
    return;
  SaveAndShowReport(TValidateDlg::SaveTitle, TValidateDlg::SaveFilter, ValidateDlg->FileName, FFileDialogs,
                    FMessages, *ShowReportDlg, [this](const QString& fileName) {
                      WriteConsistencyReport(*FSurface, ValidateDlg->DataTypeList, ValidateDlg->Options(), fileName);
                    });
}

void TSDIAppForm::SetupItemClick()
{
  SetupDlg->DiagramWidthPixels = FSurface->Width;
  SetupDlg->DiagramHeightPixels = FSurface->Height;
  SetupDlg->DisplayLocation = FSurface->DisplayLocation;
  SetupDlg->DiagramName->setText(FSurface->DiagramName);
  if (SetupDlg->exec() != QDialog::Accepted)
    return;
  FView->ReleaseCapture();
  FSurface->Width = SetupDlg->DiagramWidthPixels;
  FSurface->Height = SetupDlg->DiagramHeightPixels;
  FSurface->DisplayLocation = SetupDlg->DisplayLocation;
  FSurface->DiagramName = SetupDlg->DiagramName->text();
  FSurface->Repaint();
  FView->SyncSize();
}

QPoint TSDIAppForm::VisibleCentre() const
{
  return FView->mapFrom(ScrollBox1->viewport(), ScrollBox1->viewport()->rect().center());
}

void TSDIAppForm::ShowHelpPage(QWidget* window, const QString& page)
{
  THelpWindow* help = HelpWindow;
  if (window && window != this) {
    help = window->findChild<THelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!help)
      help = new THelpWindow(FSettings.HelpDirectory(), window);
  }
  help->ShowPage(page);
}

void TSDIAppForm::FontItemClick()
{
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, FSurface->Font, this, QStringLiteral("Font"));
  if (ok)
    FSurface->SetDiagramFont(font);
}

void TSDIAppForm::ShowLabelsClick()
{
  FSurface->SetRelationLabelVisible(!FSurface->RelationLabelVisible);
}

void TSDIAppForm::ArrangeItemClick()
{
  FDocument->Snapshot();
  FView->ReleaseCapture();
  FSurface->SetActiveDrawingTool(dtPointer);
  bool selectedOnly = false;
  for (const TEntity* e : FSurface->Entities)
    selectedOnly = selectedOnly || (e->Visible && e->Selected());
  TArrangeOptions options;
  options.Progress = FLoadProgress.get();
  ArrangeDiagram(*FSurface, selectedOnly, options);
  FView->SyncSize();
  if (!selectedOnly) {
    ScrollBox1->horizontalScrollBar()->setValue(0);
    ScrollBox1->verticalScrollBar()->setValue(0);
  }
}

void TSDIAppForm::ZoomAround(int numerator, int denominator, QPoint viewportPoint)
{
  FView->ReleaseCapture();
  const QPoint diagramPoint = FView->mapFrom(ScrollBox1->viewport(), viewportPoint);
  const double before = FSurface->ZoomFactor;
  if (!FSurface->Rescale(numerator, denominator)) {
    // The step is not taken; say why instead of doing nothing.
    statusBar()->showMessage(kZoomRefused);
    return;
  }
  FView->SyncSize();
  // The scroll bars take their new ranges as the view is resized.
  const double scale = FSurface->ZoomFactor / before;
  ScrollBox1->horizontalScrollBar()->setValue(qRound(diagramPoint.x() * scale) - viewportPoint.x());
  ScrollBox1->verticalScrollBar()->setValue(qRound(diagramPoint.y() * scale) - viewportPoint.y());
}

void TSDIAppForm::ZoomIn()
{
  ZoomAround(5, 4, ScrollBox1->viewport()->rect().center());
}

void TSDIAppForm::ZoomOut()
{
  ZoomAround(4, 5, ScrollBox1->viewport()->rect().center());
}

void TSDIAppForm::closeEvent(QCloseEvent* event)
{
  ObjectEditor->FormDeactivate();
  ObjectEditor->hide();
  if (FDocument->QueryClose())
    event->accept();
  else
    event->ignore();
}

}  // namespace veska
